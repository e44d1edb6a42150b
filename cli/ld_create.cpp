// -CfgLDAdd and -CfgSpanADD: create a RAID 0, 1 or 5 logical drive, or a
// RAID 10 spanned over two mirrored spans.
#include "ld_create.h"

#include <algorithm>

#include "commands.h"
#include "ld_options.h"
#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "prompt.h"

namespace cli {

namespace {

// Seen-flags of the create commands.
enum : std::uint32_t {
    opt_raid = 1u << 0,
    opt_span0 = 1u << 1,
    opt_span1 = 1u << 2,
    opt_after_ld = 1u << 3,
    opt_adapter = 1u << 4,
    opt_nochk = 1u << 5,
    opt_write = 1u << 6,
    opt_read = 1u << 7,
};

// What the options of a create command leave for the creation itself.
struct create_options {
    int level = 0;
    std::vector<std::uint8_t> drives;
    cache_choice caches;
    std::optional<std::string> after_ld; // the digits of "-afterLd"
    int adapter = 0;
};

// The listed drives of a drive list, in its order.
void append_drives(const drive_list& list, std::vector<std::uint8_t>& drives)
{
    for (const std::uint8_t drive : list)
        if (drive != unused_entry) drives.push_back(drive);
}

// Whether two drive lists name a common drive.
bool share_a_drive(const drive_list& first, const drive_list& second)
{
    for (const std::uint8_t drive : first)
        if (drive != unused_entry && std::find(second.begin(), second.end(), drive) != second.end()) return true;
    return false;
}

// The options both create commands share: "-afterLd", the adapter (exactly
// one) and "-nochk". `stop` for invalid input or any other token.
outcome take_shared_create_option(frame& context, option_loop& loop, create_options& options)
{
    if (loop.token.starts_with("afterld")) {
        std::string digits;
        const bool accepted = parse_after_ld(loop.token, digits) && mark_seen(loop, opt_after_ld);
        options.after_ld = digits;
        return go_on_if(accepted);
    }
    if (loop.token.starts_with('a')) return take_single_adapter(context, loop, opt_adapter, options.adapter);
    if (loop.token == "nochk") return go_on_if(mark_seen(loop, opt_nochk));
    return outcome::stop;
}

// True when every drive is present on the adapter; otherwise names the first
// missing one. False also when the adapter's state cannot be read.
bool drives_present(int adapter, const std::vector<std::uint8_t>& drives)
{
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return false;
    for (const std::uint8_t drive : drives) {
        if (status.hdd_state[drive] == zan::ABSENT) {
            sayf(msg::adapter_specified_not_exist, adapter, msg::object_physical_drive, drive);
            return false;
        }
    }
    return true;
}

// The number of the logical drive to create: the one "-afterLd" names, or
// the lowest free one.
std::optional<int> choose_ld(int adapter, const std::optional<std::string>& after_ld)
{
    if (after_ld) {
        const std::optional<int> number = after_ld_number(*after_ld);
        if (!number) sayf(msg::ld_number_exceeds, adapter);
        return number;
    }
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return std::nullopt;
    const std::optional<int> free = lowest_free_ld(status);
    if (!free) sayf(msg::adapter_full, adapter);
    return free;
}

// Refuses the creation when a drive is a spare or a restore candidate.
bool drive_classes_fit(int adapter, const std::vector<std::uint8_t>& drives)
{
    for (const std::uint8_t drive : drives) {
        zan::PhysicalDriveInfo info;
        if (!call_library(adapter, getPhysicalDriveInfo, adapter, drive, &info)) return false;
        if (!class_may_join(info.drive_class)) {
            sayf(msg::adapter_cannot_execute, adapter);
            return false;
        }
    }
    return true;
}

// Refuses a logical-drive number that is already in use.
bool ld_is_free(int adapter, int ld)
{
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return false;
    if (status.ld_state[ld] == zan::ABSENT) return true;
    sayf(msg::adapter_specified_not_exist, adapter, msg::object_virtual_drives, ld);
    return false;
}

bool member_count_checked(int adapter, int level, std::size_t count)
{
    if (member_count_fits(level, static_cast<int>(count))) return true;
    sayf(msg::hdd_count_abnormal, adapter);
    return false;
}

void create(const create_options& options, int ld)
{
    const zan::CreateLDRecord record = create_record({options.adapter, ld, options.level, options.drives,
                                                      options.caches.write_back.value_or(false),
                                                      options.caches.read_ahead.value_or(true)});
    if (!call_library(options.adapter, createLD, &record)) return;
    sayf(msg::created_virtual_drive, options.adapter, ld);
}

// True when the user goes on: "-nochk", or "yes" at the prompt.
bool confirmed(const option_loop& loop)
{
    return (loop.seen & opt_nochk) || confirm(msg::confirm_generic) == answer::yes;
}

} // namespace

int command_create_ld(frame& context, int argc, const char* const* argv)
{
    create_options options;
    drive_list drives{};
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        // Cache options may repeat; the last of each pair counts.
        if (take_cache_option(loop.token, options.caches) != cache_option::none) continue;
        outcome taken = outcome::stop;
        if (loop.token.starts_with('r')) {
            const raid_option_status parsed = parse_raid_option(loop.token, options.level, drives);
            if (parsed == raid_option_status::unsupported) {
                sayf(msg::not_supported, loop.argv[loop.index]);
                return success_status;
            }
            taken = go_on_if(parsed == raid_option_status::ok && mark_seen(loop, opt_raid));
        } else {
            taken = take_shared_create_option(context, loop, options);
        }
        if (taken == outcome::fatal) return fatal_status;
        if (taken == outcome::stop) return rejected(loop);
    }
    if (!require_options(loop, opt_raid | opt_adapter | (loop.seen & (opt_after_ld | opt_nochk))))
        return success_status;
    append_drives(drives, options.drives);

    if (!confirmed(loop)) return success_status;
    if (!drives_present(options.adapter, options.drives)) return success_status;
    const std::optional<int> ld = choose_ld(options.adapter, options.after_ld);
    if (!ld) return success_status;
    if (!drive_classes_fit(options.adapter, options.drives)) return success_status;
    if (!ld_is_free(options.adapter, *ld)) return success_status;
    if (!member_count_checked(options.adapter, options.level, options.drives.size())) return success_status;
    create(options, *ld);
    return success_status;
}

int command_create_span(frame& context, int argc, const char* const* argv)
{
    create_options options;
    options.level = raid10;
    drive_list spans[2];
    for (drive_list& span : spans) span.fill(unused_entry);
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        if (const std::optional<bool> cache = take_cache_option_once(loop, opt_write, opt_read, options.caches)) {
            if (!*cache) return rejected(loop);
            continue;
        }
        outcome taken = outcome::stop;
        if (loop.token.starts_with('r')) {
            taken = go_on_if(is_raid10_option(loop.token) && mark_seen(loop, opt_raid));
        } else if (loop.token.starts_with("array")) {
            // A drive cannot mirror itself: the spans must not share one.
            int span = 0;
            drive_list drives{};
            taken = go_on_if(parse_span(loop.token, span, drives) && !share_a_drive(drives, spans[1 - span]) &&
                             mark_seen(loop, span == 0 ? opt_span0 : opt_span1));
            spans[span] = drives;
        } else {
            taken = take_shared_create_option(context, loop, options);
        }
        if (taken == outcome::fatal) return fatal_status;
        if (taken == outcome::stop) return rejected(loop);
    }
    const std::uint32_t optional = opt_write | opt_read | opt_after_ld | opt_nochk;
    if (!require_options(loop, opt_raid | opt_span0 | opt_span1 | opt_adapter | (loop.seen & optional)))
        return success_status;
    append_drives(spans[0], options.drives);
    append_drives(spans[1], options.drives);

    if (!confirmed(loop)) return success_status;
    if (!member_count_checked(options.adapter, raid10, options.drives.size())) return success_status;
    if (!drives_present(options.adapter, options.drives)) return success_status;
    const std::optional<int> ld = choose_ld(options.adapter, options.after_ld);
    if (!ld) return success_status;
    if (options.after_ld && !ld_is_free(options.adapter, *ld)) return success_status;
    if (!drive_classes_fit(options.adapter, options.drives)) return success_status;
    create(options, *ld);
    return success_status;
}

} // namespace cli
