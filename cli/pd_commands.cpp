// -PDInfo, -PDList, -PDGetNum and -PDLocate: the physical-drive reports and
// the locate LED.
#include <array>
#include <string_view>

#include "command_options.h"
#include "commands.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "pd_block.h"
#include "pd_targets.h"
#include "zandllctl.h"

namespace cli {

namespace {

inline constexpr int first_alarm_state = 0x20;
inline constexpr int last_alarm_state = 0x27;

// -PDLocate actions and the LED modes they send.
constexpr std::array<std::string_view, 2> locate_keywords = {"active", "passive"};
struct locate_mode {
    int led;
    const char* message;
};
constexpr locate_mode locate_modes[] = {{0x30, msg::led_active}, {0x00, msg::led_not_active}};

// Prints the adapter's heading and the block of every listed drive that is
// present.
outcome show_adapter_pds(frame& context, int adapter, const drive_list& drives)
{
    zan::RaidStatus status;
    if (!read_raid_status(adapter, status)) return outcome::stop;
    sayf(msg::pd_report_heading, adapter);
    for (const std::uint8_t hdd : drives) {
        if (hdd == unused_entry || status.hdd_state[hdd] == zan::ABSENT) continue;
        const outcome shown = show_pd_block(context, pd_block_form::physical_disk, adapter, hdd, status.hdd_state[hdd]);
        if (shown != outcome::go_on) return shown;
    }
    return outcome::go_on;
}

// Shows the listed drives of every listed adapter.
outcome show_adapters_pds(frame& context, const adapter_list& adapters, const drive_list& drives)
{
    for (const std::uint8_t adapter : adapters) {
        if (adapter == unused_entry) continue;
        if (const outcome shown = show_adapter_pds(context, adapter, drives); shown != outcome::go_on) return shown;
    }
    return outcome::go_on;
}

} // namespace

bool is_alarm_state(std::uint8_t state)
{
    return state >= first_alarm_state && state <= last_alarm_state;
}

int count_physical_drives(const zan::RaidStatus& status)
{
    return used_entries(status.hdd_state, max_drives);
}

bool check_pds_present(const adapter_list& adapters, const drive_list& drives)
{
    return for_each_pd(adapters, drives, [](int adapter, int hdd, std::uint8_t state) {
        if (state != zan::ABSENT) return true;
        sayf(msg::adapter_specified_not_exist, adapter, msg::object_physical_drive, hdd);
        return false;
    });
}

int command_pd_info(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{{}, accepts_pds | accepts_adapters};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);
    if (!check_pds_present(options.adapters.ids, options.pds)) return success_status;

    return status_after(show_adapters_pds(context, options.adapters.ids, options.pds));
}

int command_pd_list(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{{}, accepts_adapters, rejection_target::first_option};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);

    // Adapters without drives are named; with -aALL the others still follow.
    adapter_list listed = options.adapters.ids;
    for (std::uint8_t& adapter : listed) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return success_status;
        if (count_physical_drives(status) > 0) continue;
        sayf(msg::no_physical_drive, adapter);
        if (!options.adapters.all) return success_status;
        adapter = unused_entry;
    }

    drive_list every_drive;
    for (int hdd = 0; hdd < max_drives; ++hdd) every_drive[hdd] = static_cast<std::uint8_t>(hdd);
    return status_after(show_adapters_pds(context, listed, every_drive));
}

int command_pd_count(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{{}, accepts_adapters, rejection_target::command};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);

    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return success_status;
        sayf(msg::pd_count, adapter, count_physical_drives(status));
    }
    return success_status;
}

int command_pd_locate(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{locate_keywords, accepts_pds | accepts_adapters};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);
    if (!check_pds_present(options.adapters.ids, options.pds)) return success_status;

    const locate_mode& mode = locate_modes[options.action];
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        for (const std::uint8_t hdd : options.pds) {
            if (hdd == unused_entry) continue;
            if (!call_library(adapter, setHDDLocateLED, adapter, hdd, mode.led)) return success_status;
            sayf(mode.message, hdd, adapter);
        }
    }
    return success_status;
}

} // namespace cli
