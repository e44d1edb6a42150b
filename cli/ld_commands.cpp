// -LDInfo, -LDSetProp, -LDGetProp, -LDGetNum and -LDPDInfo: show logical
// drives and their members, and switch their caches.
#include <vector>

#include "command_options.h"
#include "commands.h"
#include "ld_options.h"
#include "ld_report.h"
#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "pd_block.h"
#include "prompt.h"

namespace cli {

namespace {

constexpr std::string_view cache_action[] = {"cache"};

constexpr option_grammar info_options = {{}, accepts_lds | accepts_adapters};
constexpr option_grammar get_prop_options = {cache_action, accepts_lds | accepts_adapters};
constexpr option_grammar adapter_only_options = {{}, accepts_adapters, rejection_target::command};

// Seen-flags of -LDSetProp.
enum : std::uint32_t {
    opt_write = 1u << 0,
    opt_read = 1u << 1,
    opt_adapter = 1u << 2,
    opt_lds = 1u << 3,
    opt_nochk = 1u << 4,
};

// The words of the cache flags of LogicalDriveInfo; nothing for a value the
// record should not hold.
const char* write_policy_word(std::uint8_t write_through)
{
    switch (write_through) {
    case 0:
        return msg::write_back;
    case 1:
        return msg::write_through;
    default:
        return nullptr;
    }
}

const char* read_policy_word(std::uint8_t no_read_ahead)
{
    switch (no_read_ahead) {
    case 0:
        return msg::read_ahead;
    case 1:
        return msg::read_ahead_none;
    default:
        return nullptr;
    }
}

// Switches one cache of a logical drive and says so. False (error reported)
// when the library refuses.
bool set_cache(zan::BOOL32(ZANAPI* setter)(int, int, int), const char* message, const ld_target& target, bool enable)
{
    if (!call_library(target.adapter, setter, target.adapter, target.ld, enable ? 1 : 0)) return false;
    sayf(message, target.adapter, target.ld, enable ? msg::cache_enabled : msg::cache_disabled);
    return true;
}

// The -LDPDInfo report of one adapter. `stop` when the command ends here.
outcome print_adapter_drives(frame& context, int adapter)
{
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return outcome::stop;
    sayf(msg::ld_pd_info_heading, adapter, count_logical_drives(status));
    for (int ld = 0; ld < max_drives; ++ld) {
        if (status.ld_state[ld] == zan::ABSENT) continue;
        if (const outcome shown = print_ld_block(context, adapter, ld); shown != outcome::go_on) return shown;
    }
    for (int hdd = 0; hdd < max_drives; ++hdd) {
        if (status.hdd_state[hdd] == zan::ABSENT) continue;
        const outcome shown =
            show_pd_block(context, pd_block_form::pd_information, adapter, hdd, status.hdd_state[hdd]);
        if (shown != outcome::go_on) return shown;
    }
    return outcome::go_on;
}

} // namespace

int command_ld_info(frame& context, int argc, const char* const* argv)
{
    command_options options;
    std::vector<ld_target> targets;
    if (const outcome read = read_ld_target_options(context, argc, argv, info_options, options, targets);
        read != outcome::go_on)
        return status_after(read);

    int heading_shown_for = -1;
    for (const ld_target& target : targets) {
        if (target.adapter != heading_shown_for) {
            sayf(msg::ld_info_heading, target.adapter);
            heading_shown_for = target.adapter;
        }
        if (const outcome shown = print_ld_block(context, target.adapter, target.ld); shown != outcome::go_on)
            return status_after(shown);
    }
    return success_status;
}

int command_ld_set_prop(frame& context, int argc, const char* const* argv)
{
    cache_choice caches;
    adapter_selection adapters{};
    ld_selection lds{};
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        if (const std::optional<bool> cache = take_cache_option_once(loop, opt_write, opt_read, caches)) {
            if (!*cache) return rejected(loop);
            continue;
        }
        bool accepted = false;
        if (loop.token.starts_with('a')) {
            const outcome taken = take_adapter_option(context, loop, opt_adapter, adapters);
            if (taken == outcome::fatal) return fatal_status;
            accepted = taken == outcome::go_on;
        } else if (loop.token.starts_with('l')) {
            accepted = take_ld_option(loop, opt_lds, lds);
        } else if (loop.token == "nochk") {
            accepted = mark_seen(loop, opt_nochk);
        }
        if (!accepted) return rejected(loop);
    }
    // Both selections and at least one cache option.
    if (!(loop.seen & (opt_write | opt_read))) return rejected(loop);
    if (!require_options(loop, opt_adapter | opt_lds | (loop.seen & (opt_write | opt_read | opt_nochk))))
        return success_status;

    if (!(loop.seen & opt_nochk) && confirm(msg::confirm_generic) == answer::no) return success_status;
    std::vector<ld_target> targets;
    if (const outcome resolved = resolve_ld_targets(context, adapters, lds, targets); resolved != outcome::go_on)
        return status_after(resolved);
    for (const ld_target& target : targets) {
        if (caches.write_back && !set_cache(setWriteCache, msg::write_cache_is, target, *caches.write_back))
            return success_status;
        if (caches.read_ahead && !set_cache(setReadCache, msg::read_cache_is, target, *caches.read_ahead))
            return success_status;
    }
    return success_status;
}

int command_ld_get_prop(frame& context, int argc, const char* const* argv)
{
    command_options options;
    std::vector<ld_target> targets;
    if (const outcome read = read_ld_target_options(context, argc, argv, get_prop_options, options, targets);
        read != outcome::go_on)
        return status_after(read);

    for (const ld_target& target : targets) {
        zan::LogicalDriveInfo info;
        if (!call_library(target.adapter, getLogicalDriveInfo, target.adapter, target.ld, &info)) return success_status;
        const char* write = write_policy_word(info.write_cache);
        const char* read = read_policy_word(info.read_cache);
        if (write == nullptr || read == nullptr) {
            sayf(msg::information_abnormal, target.adapter);
            continue;
        }
        sayf(msg::cache_policy, target.adapter, target.ld, write, read);
    }
    return success_status;
}

int command_ld_get_num(frame& context, int argc, const char* const* argv)
{
    command_options options;
    if (const outcome read = read_command_options(context, argc, argv, adapter_only_options, options);
        read != outcome::go_on)
        return status_after(read);
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return success_status;
        sayf(msg::ld_count, adapter, count_logical_drives(status));
    }
    return success_status;
}

int command_ld_pd_info(frame& context, int argc, const char* const* argv)
{
    command_options options;
    if (const outcome read = read_command_options(context, argc, argv, adapter_only_options, options);
        read != outcome::go_on)
        return status_after(read);

    // Adapters with neither logical nor physical drives are named first; an
    // explicitly named one ends the command, "-aALL" only leaves it out.
    std::vector<int> reported;
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return success_status;
        if (count_logical_drives(status) == 0 && used_entries(status.hdd_state, max_drives) == 0) {
            sayf(msg::no_virtual_and_physical_drive, adapter);
            if (!options.adapters.all) return success_status;
            continue;
        }
        reported.push_back(adapter);
    }
    for (const int adapter : reported)
        if (const outcome shown = print_adapter_drives(context, adapter); shown != outcome::go_on)
            return status_after(shown);
    return success_status;
}

} // namespace cli
