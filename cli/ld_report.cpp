#include "ld_report.h"

#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "value_names.h"

namespace cli {

namespace {

// Level 1 over this many member drives or more is a spanned RAID 10.
inline constexpr int raid10_min_drives = 4;

struct stripe_row {
    std::uint32_t sectors; // 512-byte sectors
    std::string_view text;
};

constexpr stripe_row stripe_sizes[] = {
    {0, "None"}, {128, "64kB"}, {256, "128kB"}, {512, "256kB"}, {1024, "512kB"},
};

} // namespace

std::optional<int> shown_raid_level(const zan::LogicalDriveInfo& info)
{
    switch (info.raid_level) {
    case 0:
        return 0;
    case 1:
        return info.member_count < raid10_min_drives ? 1 : 10;
    case 5:
        return 5;
    default:
        return std::nullopt;
    }
}

std::optional<std::string_view> shown_stripe_size(std::uint32_t sectors)
{
    for (const stripe_row& row : stripe_sizes)
        if (row.sectors == sectors) return row.text;
    return std::nullopt;
}

std::optional<std::string> ld_block(frame& context, int adapter, int ld, const zan::LogicalDriveInfo& info,
                                    const zan::RaidStatus& status)
{
    // The lines are worked out in the order they are shown, so the first
    // faulty value decides whether the command or the process ends.
    const std::optional<int> level = shown_raid_level(info);
    if (!level) {
        sayf(msg::information_abnormal, adapter);
        return std::nullopt;
    }
    const std::string_view state = value_name(context, kind_ld_state, status.ld_state[ld], adapter);
    const std::optional<std::string_view> stripe = shown_stripe_size(info.stripe_size.get());
    if (!stripe) {
        sayf(msg::information_abnormal, adapter);
        return std::nullopt;
    }
    const std::string_view hot_spare = value_name(context, kind_hot_spare_mode, info.hot_spare_mode, adapter);
    const std::string_view rebuild = value_name(context, kind_auto_rebuild, info.auto_rebuild, adapter);
    const std::string_view rebuild_state = value_name(context, kind_rebuild_state, info.rebuild_state, adapter);
    const std::string_view maintenance =
        value_name(context, kind_maintenance_state, info.maintenance_state, adapter);
    const std::string_view forced = value_name(context, kind_force_state_change, info.force_state_change, adapter);
    const std::string_view read = value_name(context, kind_read_cache, info.read_cache, adapter);
    const std::string_view write = value_name(context, kind_write_cache, info.write_cache, adapter);

    return format(msg::ld_block, ld, *level, static_cast<int>(info.size_mb.get()), std::string(state).c_str(),
                  std::string(*stripe).c_str(), info.member_count, std::string(hot_spare).c_str(),
                  std::string(rebuild).c_str(), std::string(rebuild_state).c_str(),
                  std::string(maintenance).c_str(), info.progress, "%", std::string(forced).c_str(),
                  static_cast<int>(info.operation_error_count.get()), std::string(read).c_str(),
                  std::string(write).c_str());
}

bool print_ld_block(frame& context, int adapter, int ld)
{
    zan::LogicalDriveInfo info;
    if (!getLogicalDriveInfo(adapter, ld, &info)) {
        report_library_error(adapter);
        return false;
    }
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return false;
    const std::optional<std::string> block = ld_block(context, adapter, ld, info, status);
    if (!block) return false;
    say(*block);
    return true;
}

} // namespace cli
