// -LDRstrDrvList, -LDRstrDrvInfo, -LDRstr and -LDBadSpot: the adapter's
// restorable logical-drive configurations, and the bad spots of logical
// drives.
#include "restore_commands.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "command_options.h"
#include "commands.h"
#include "ld_create.h"
#include "ld_options.h"
#include "ld_report.h"
#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "pd_block.h"
#include "prompt.h"
#include "value_names.h"

namespace cli {

namespace {

constexpr std::uint8_t restore_action = 0;
constexpr std::uint8_t delete_action = 1;
constexpr std::uint32_t no_bad_spot = 0xFFFFFFFF;
constexpr std::uint8_t state_good = 0;

constexpr option_grammar list_options = {{}, accepts_adapters};
constexpr option_grammar bad_spot_options = {{}, accepts_lds | accepts_adapters, rejection_target::first_option};

// Seen-flags of -LDRstrDrvInfo and -LDRstr.
enum : std::uint32_t {
    opt_lds = 1u << 0,
    opt_adapter = 1u << 1,
    opt_action = 1u << 2,
    opt_source = 1u << 3,
    opt_destination = 1u << 4,
    opt_write_cache = 1u << 5,
    opt_read_cache = 1u << 6,
    opt_nochk = 1u << 7,
};

struct restore_options {
    bool restore = false; // "-Rstr"; otherwise "-Del"
    int adapter = 0;
    int source = unused_entry;
    int destination = unused_entry; // "-DLx"; unused_entry also when "-DL" has no number
    bool write_cache = false;
    bool read_cache = false;
    bool nochk = false;
    std::uint32_t seen = 0;
};

bool read_restore_status(int adapter, zan::RestoreStatus& status)
{
    return call_library(adapter, getRestoreLDsts, adapter, &status);
}

// Recognises one option of -LDRstr; `stop` when it is invalid input.
outcome take_restore_option(frame& context, option_loop& loop, restore_options& options)
{
    const std::string_view token = loop.token;
    if (token == "rstr" || token == "del") {
        options.restore = token == "rstr";
        return go_on_if(mark_seen(loop, opt_action));
    }
    if (token == "wcache") {
        options.write_cache = true;
        return go_on_if(mark_seen(loop, opt_write_cache));
    }
    if (token == "rcache") {
        options.read_cache = true;
        return go_on_if(mark_seen(loop, opt_read_cache));
    }
    if (token == "nochk") {
        options.nochk = true;
        return go_on_if(mark_seen(loop, opt_nochk));
    }
    if (token.starts_with("sl") || token.starts_with("dl")) {
        const bool source = token.starts_with("sl");
        ld_selection selection{};
        if (!take_ld_option(loop, source ? opt_source : opt_destination, selection)) return outcome::stop;
        (source ? options.source : options.destination) = selection.ids[0];
        return outcome::go_on;
    }
    if (token.starts_with('a')) return take_single_adapter(context, loop, opt_adapter, options.adapter);
    return outcome::stop;
}

outcome read_restore_options(frame& context, int argc, const char* const* argv, restore_options& options)
{
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        const outcome taken = take_restore_option(context, loop, options);
        if (taken == outcome::fatal) return outcome::fatal;
        if (taken == outcome::stop) {
            reject_option(loop);
            return outcome::stop;
        }
    }
    constexpr std::uint32_t optional = opt_destination | opt_write_cache | opt_read_cache | opt_nochk;
    options.seen = loop.seen;
    return go_on_if(require_options(loop, opt_action | opt_source | opt_adapter | (loop.seen & optional)));
}

// Lists the candidate to delete and asks; true when the command goes on.
bool confirm_delete(const restore_options& options)
{
    zan::RestoreStatus status;
    if (!read_restore_status(options.adapter, status)) return false;
    const bool listed = candidate_state(status, options.source) != zan::ABSENT;
    sayf(listed ? msg::delete_listing_drive : msg::delete_listing_missing, options.adapter, options.source);
    return confirm(msg::confirm_delete) == answer::yes;
}

// The candidate block of -LDRstrDrvInfo; `stop` when the command ends here.
outcome print_candidate_block(frame& context, int adapter, int ld, const zan::LogicalDriveInfo& candidate)
{
    const std::optional<int> level = zan::shown_raid_level(candidate);
    const std::optional<std::string_view> stripe = shown_stripe_size(candidate.stripe_size.get());
    if (!level || !stripe) {
        sayf(msg::information_abnormal, adapter);
        return outcome::stop;
    }
    std::string_view hot_spare, rebuild, rebuild_state, maintenance, read, write;
    const outcome named = name_values(context, adapter,
                                      {{kind_hot_spare_mode, candidate.hot_spare_mode, &hot_spare},
                                       {kind_auto_rebuild, candidate.auto_rebuild, &rebuild},
                                       {kind_rebuild_state, candidate.rebuild_state, &rebuild_state},
                                       {kind_maintenance_state, candidate.maintenance_state, &maintenance},
                                       {kind_read_cache, candidate.read_cache, &read},
                                       {kind_write_cache, candidate.write_cache, &write}});
    if (named != outcome::go_on) return named;
    sayf(msg::restore_block, adapter, candidate.member_count, ld, *level, static_cast<int>(candidate.size_mb.get()),
         std::string(*stripe).c_str(), candidate.member_count, std::string(hot_spare).c_str(),
         std::string(rebuild).c_str(), std::string(rebuild_state).c_str(), std::string(maintenance).c_str(),
         candidate.progress, "%", std::string(read).c_str(), std::string(write).c_str());
    return outcome::go_on;
}

// The member entry of `hdd` among the candidate's valid entries, or nullptr.
const zan::MemberEntry* find_member(const zan::LogicalDriveInfo& candidate, int hdd)
{
    const int entries = std::min<int>(candidate.member_count, zan::MAX_HDDS);
    for (int i = 0; i < entries; ++i)
        if (candidate.members[i].hdd == hdd) return &candidate.members[i];
    return nullptr;
}

// The physical-drive blocks of the candidate's members, with the states the
// candidate recorded for them; `stop` when the command ends here.
outcome print_candidate_members(frame& context, int adapter, const zan::LogicalDriveInfo& candidate)
{
    for (int hdd = 0; hdd < max_drives; ++hdd) {
        const zan::MemberEntry* member = find_member(candidate, hdd);
        if (member == nullptr) continue;
        zan::PhysicalDriveInfo drive;
        if (!call_library(adapter, getPhysicalDriveInfo, adapter, hdd, &drive)) return outcome::stop;
        const outcome shown = say_pd_block(context, pd_block_form::pd_information, adapter, hdd, drive,
                                           member->drive_state, drive_assignment(drive, hdd, &candidate));
        if (shown != outcome::go_on) return shown;
    }
    return outcome::go_on;
}

// The bad-spot list of one logical drive from its present members that
// still belong to it; false (error reported) when a record cannot be read.
bool collect_bad_spots(int adapter, int ld, const zan::RaidStatus& status, std::vector<std::uint32_t>& list)
{
    zan::LogicalDriveInfo info;
    if (!call_library(adapter, getLogicalDriveInfo, adapter, ld, &info)) return false;
    const int entries = std::min<int>(info.member_count, zan::MAX_HDDS);
    for (int i = 0; i < entries; ++i) {
        const int hdd = info.members[i].hdd;
        // A member that is missing has no list; asking for it would only fail.
        if (hdd >= zan::MAX_HDDS || status.hdd_state[hdd] == zan::ABSENT) continue;
        zan::PhysicalDriveInfo drive;
        if (!call_library(adapter, getPhysicalDriveInfo, adapter, hdd, &drive)) return false;
        if (drive.group != ld) continue;
        zan::BadspotInfo spots;
        if (!call_library(adapter, getBadspotInfo, adapter, hdd, &spots)) return false;
        merge_bad_spots(list, spots);
    }
    return true;
}

void print_bad_spots(int ld, const std::vector<std::uint32_t>& list)
{
    sayf(msg::bad_spot_drive, ld);
    if (list.empty()) {
        say(msg::bad_spot_none);
        return;
    }
    say(msg::bad_spot_heading);
    for (std::size_t i = 0; i < list.size(); ++i) sayf(msg::bad_spot_line, static_cast<int>(i), list[i]);
}

} // namespace

void merge_bad_spots(std::vector<std::uint32_t>& list, const zan::BadspotInfo& info)
{
    const std::uint32_t listed = std::min<std::uint32_t>(info.count.get(), zan::BAD_SPOT_LIST_SIZE);
    for (std::uint32_t i = 0; i < listed; ++i) {
        const std::uint32_t lba = info.lba[i].get();
        if (lba == no_bad_spot) continue;
        const auto at = std::lower_bound(list.begin(), list.end(), lba);
        if (at == list.end() || *at != lba) list.insert(at, lba);
    }
}

std::uint8_t candidate_state(const zan::RestoreStatus& status, int ld)
{
    return ld >= 0 && ld < zan::MAX_GROUPS ? status.candidate_state[ld] : zan::ABSENT;
}

zan::RestoreLDRecord restore_request(int adapter, int source, int destination, const zan::LogicalDriveInfo& candidate,
                                     bool write_cache_option, bool read_cache_option)
{
    zan::RestoreLDRecord record;
    std::memset(&record, 0, sizeof record);
    record.controller = static_cast<zan::u8>(adapter);
    record.action = restore_action;
    record.candidate = static_cast<zan::u8>(source);
    record.group = static_cast<zan::u8>(destination);
    record.no_read_ahead = read_cache_option ? 0 : candidate.read_cache;
    record.write_through = write_cache_option ? 0 : candidate.write_cache;
    return record;
}

zan::RestoreLDRecord delete_request(int adapter, int source)
{
    zan::RestoreLDRecord record;
    std::memset(&record, 0, sizeof record);
    record.controller = static_cast<zan::u8>(adapter);
    record.action = delete_action;
    record.candidate = static_cast<zan::u8>(source);
    record.group = static_cast<zan::u8>(source);
    return record;
}

int command_restore_list(frame& context, int argc, const char* const* argv)
{
    command_options options;
    if (const outcome read = read_command_options(context, argc, argv, list_options, options); read != outcome::go_on)
        return status_after(read);
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RestoreStatus status;
        if (!read_restore_status(adapter, status)) return success_status;
        sayf(msg::restore_list_heading, adapter, status.candidate_count);
        for (int ld = 0; ld < max_drives; ++ld) {
            std::string_view state;
            if (name_values(context, adapter, {{kind_ld_state, status.candidate_state[ld], &state}}) ==
                outcome::fatal)
                return fatal_status;
            sayf(msg::restore_list_line, ld, std::string(state).c_str());
        }
        say("");
    }
    return success_status;
}

int command_restore_info(frame& context, int argc, const char* const* argv)
{
    int adapter = 0;
    ld_selection lds{};
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        bool accepted = false;
        if (loop.token.starts_with('l')) {
            accepted = take_ld_option(loop, opt_lds, lds) && !lds.all && used_entries(lds.ids.data(), max_drives) == 1;
        } else if (loop.token.starts_with('a')) {
            const outcome taken = take_single_adapter(context, loop, opt_adapter, adapter);
            if (taken == outcome::fatal) return fatal_status;
            accepted = taken == outcome::go_on;
        }
        if (!accepted) return rejected(loop);
    }
    if (!require_options(loop, opt_lds | opt_adapter)) return success_status;

    const int ld = lds.ids[0];
    zan::RestoreStatus status;
    if (!read_restore_status(adapter, status)) return success_status;
    if (candidate_state(status, ld) == zan::ABSENT) {
        sayf(msg::adapter_specified_not_exist, adapter, msg::object_virtual_drives, ld);
        return success_status;
    }
    zan::LogicalDriveInfo candidate;
    if (!call_library(adapter, getRestoreLDInfo, adapter, ld, &candidate)) return success_status;
    if (const outcome shown = print_candidate_block(context, adapter, ld, candidate); shown != outcome::go_on)
        return status_after(shown);
    return status_after(print_candidate_members(context, adapter, candidate));
}

int command_restore(frame& context, int argc, const char* const* argv)
{
    restore_options options;
    if (const outcome read = read_restore_options(context, argc, argv, options); read != outcome::go_on)
        return status_after(read);
    const int adapter = options.adapter;
    const int source = options.source;

    if (!options.nochk) {
        const bool go_on = options.restore ? confirm(msg::confirm_generic) == answer::yes : confirm_delete(options);
        if (!go_on) return success_status;
    }

    zan::RestoreStatus status;
    if (!read_restore_status(adapter, status)) return success_status;
    const std::uint8_t state = candidate_state(status, source);
    if (state == zan::ABSENT) {
        sayf(msg::adapter_specified_not_exist, adapter, msg::object_virtual_drives, source);
        return success_status;
    }
    if (options.restore && state != state_good) {
        sayf(msg::ld_not_good, adapter, source);
        return success_status;
    }
    if ((options.seen & opt_destination) && options.destination == unused_entry) {
        sayf(msg::ld_number_exceeds, adapter);
        return success_status;
    }

    int destination = options.destination;
    if (options.restore && !(options.seen & opt_destination)) {
        // The lowest free number; with none free the adapter decides on 255.
        zan::RaidStatus raid;
        if (!read_raid_status(adapter, raid)) return success_status;
        destination = lowest_free_ld(raid).value_or(unused_entry);
    }

    zan::LogicalDriveInfo candidate;
    if (!call_library(adapter, getRestoreLDInfo, adapter, source, &candidate)) return success_status;
    zan::RestoreLDRecord request =
        options.restore
            ? restore_request(adapter, source, destination, candidate, options.write_cache, options.read_cache)
            : delete_request(adapter, source);
    if (!call_library(adapter, configRestoreLD, &request)) return success_status;
    sayf(options.restore ? msg::restored_virtual_drive : msg::deleted_virtual_drive, adapter, source);
    return success_status;
}

int command_bad_spots(frame& context, int argc, const char* const* argv)
{
    command_options options;
    std::vector<ld_target> targets;
    if (const outcome read = read_ld_target_options(context, argc, argv, bad_spot_options, options, targets);
        read != outcome::go_on)
        return status_after(read);

    int shown_adapter = -1;
    zan::RaidStatus status;
    for (const ld_target& target : targets) {
        if (target.adapter != shown_adapter) {
            if (shown_adapter >= 0) say("");
            if (!read_raid_status(target.adapter, status)) return success_status;
            sayf(msg::adapter_heading, target.adapter);
            shown_adapter = target.adapter;
        }
        std::vector<std::uint32_t> list;
        if (!collect_bad_spots(target.adapter, target.ld, status, list)) return success_status;
        print_bad_spots(target.ld, list);
    }
    return success_status;
}

} // namespace cli
