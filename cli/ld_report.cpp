#include "ld_report.h"

#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "value_names.h"

namespace cli {

namespace {

struct stripe_row {
    std::uint32_t sectors; // 512-byte sectors
    std::string_view text;
};

constexpr stripe_row stripe_sizes[] = {
    {0, "None"}, {128, "64kB"}, {256, "128kB"}, {512, "256kB"}, {1024, "512kB"},
};

} // namespace

std::optional<std::string_view> shown_stripe_size(std::uint32_t sectors)
{
    for (const stripe_row& row : stripe_sizes)
        if (row.sectors == sectors) return row.text;
    return std::nullopt;
}

outcome ld_block(frame& context, int adapter, int ld, const zan::LogicalDriveInfo& info,
                 const zan::RaidStatus& status, std::string& block)
{
    // The lines are worked out in the order they are shown, so the first
    // faulty value decides whether the command or the run ends.
    const std::optional<int> level = zan::shown_raid_level(info);
    if (!level) {
        sayf(msg::information_abnormal, adapter);
        return outcome::stop;
    }
    std::string_view state;
    if (const outcome named = name_values(context, adapter, {{kind_ld_state, status.ld_state[ld], &state}});
        named != outcome::go_on)
        return named;
    const std::optional<std::string_view> stripe = shown_stripe_size(info.stripe_size.get());
    if (!stripe) {
        sayf(msg::information_abnormal, adapter);
        return outcome::stop;
    }
    std::string_view hot_spare, rebuild, rebuild_state, maintenance, forced, read, write;
    const outcome named = name_values(context, adapter,
                                      {{kind_hot_spare_mode, info.hot_spare_mode, &hot_spare},
                                       {kind_auto_rebuild, info.auto_rebuild, &rebuild},
                                       {kind_rebuild_state, info.rebuild_state, &rebuild_state},
                                       {kind_maintenance_state, info.maintenance_state, &maintenance},
                                       {kind_force_state_change, info.force_state_change, &forced},
                                       {kind_read_cache, info.read_cache, &read},
                                       {kind_write_cache, info.write_cache, &write}});
    if (named != outcome::go_on) return named;

    block = format(msg::ld_block, ld, *level, static_cast<int>(info.size_mb.get()), std::string(state).c_str(),
                   std::string(*stripe).c_str(), info.member_count, std::string(hot_spare).c_str(),
                   std::string(rebuild).c_str(), std::string(rebuild_state).c_str(),
                   std::string(maintenance).c_str(), info.progress, "%", std::string(forced).c_str(),
                   static_cast<int>(info.operation_error_count.get()), std::string(read).c_str(),
                   std::string(write).c_str());
    return outcome::go_on;
}

outcome print_ld_block(frame& context, int adapter, int ld)
{
    zan::LogicalDriveInfo info;
    if (!call_library(adapter, getLogicalDriveInfo, adapter, ld, &info)) return outcome::stop;
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return outcome::stop;
    std::string block;
    const outcome built = ld_block(context, adapter, ld, info, status, block);
    if (built == outcome::go_on) say(block);
    return built;
}

} // namespace cli
