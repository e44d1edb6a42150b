// -PDOnline, -PDOffline and -PDHSP: forcing a drive's state and making or
// releasing global hot spares. Each lists what it would do before the
// prompt, checks that every listed drive is present, then acts drive by
// drive; a drive that already has the setting is named and passed over.
#include <array>
#include <string_view>

#include "command_options.h"
#include "commands.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "pd_targets.h"
#include "zandllctl.h"

namespace cli {

namespace {

// Classes of a global hot spare, in use or not.
inline constexpr std::uint8_t class_spare_use = 2;
inline constexpr std::uint8_t class_spare_no_use = 3;
inline constexpr std::uint8_t state_good = 0;

// -PDOnline and -PDOffline differ only in these.
struct state_change {
    bool to_online;                            // candidates are the drives in an Alarm state
    const char* question;
    zan::BOOL32(ZANAPI* apply)(int CONTno, int HDDno);
    const char* done;
};
constexpr state_change go_online = {true, msg::confirm_online, setHDDsts_GOOD, msg::pd_online};
constexpr state_change go_offline = {false, msg::confirm_offline, setHDDsts_ALAM, msg::pd_offline};

enum hot_spare_action { set_action, remove_action };
constexpr std::array<std::string_view, 2> hot_spare_keywords = {"set", "rmv"};

bool is_spare(const zan::PhysicalDriveInfo& drive)
{
    return drive.drive_class == class_spare_use || drive.drive_class == class_spare_no_use;
}

void say_already(int adapter, int hdd)
{
    sayf(msg::already_the_setting, msg::object_adapter, adapter, msg::object_physical_drive, hdd);
}

// The listing line of one drive before the prompt.
void say_listing(int adapter, int hdd, bool present, bool candidate)
{
    if (!present) {
        sayf(msg::listing_pd_missing, adapter, hdd);
    } else if (candidate) {
        sayf(msg::listing_pd, adapter, hdd);
    } else {
        sayf(msg::listing_pd_already, adapter, hdd);
    }
}

bool read_pd_info(int adapter, int hdd, zan::PhysicalDriveInfo& drive)
{
    return call_library(adapter, getPhysicalDriveInfo, adapter, hdd, &drive);
}

int change_state(frame& context, int argc, const char* const* argv, const state_change& change)
{
    command_options options;
    const option_grammar grammar{{}, accepts_pds | accepts_adapters | accepts_nochk};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);
    const auto is_candidate = [&](std::uint8_t state) { return is_alarm_state(state) == change.to_online; };

    if (!options.nochk) {
        const bool listed = for_each_pd(options.adapters.ids, options.pds, [&](int adapter, int hdd, std::uint8_t state) {
            say_listing(adapter, hdd, state != zan::ABSENT, is_candidate(state));
            return true;
        });
        if (!listed || !confirmed(options, change.question)) return success_status;
    }
    if (!check_pds_present(options.adapters.ids, options.pds)) return success_status;

    static_cast<void>(for_each_pd(options.adapters.ids, options.pds, [&](int adapter, int hdd, std::uint8_t state) {
        if (!is_candidate(state)) {
            say_already(adapter, hdd);
            return true;
        }
        if (!call_library(adapter, change.apply, adapter, hdd)) return false;
        sayf(change.done, hdd, adapter);
        return true;
    }));
    return success_status;
}

// One drive of -PDHSP after the checks; false when a library call failed.
bool hot_spare_drive(int action, int adapter, int hdd, std::uint8_t state)
{
    zan::PhysicalDriveInfo drive;
    if (!read_pd_info(adapter, hdd, drive)) return false;

    if (action == set_action) {
        if (state != state_good) {
            sayf(msg::pd_not_good, adapter, hdd);
        } else if (is_spare(drive)) {
            say_already(adapter, hdd);
        } else if (!call_library(adapter, createGHS, adapter, hdd)) {
            return false;
        } else {
            sayf(msg::hot_spare_set, adapter, hdd);
        }
        return true;
    }

    if (!is_spare(drive)) {
        say_already(adapter, hdd);
    } else if (!call_library(adapter, deleteGHS, adapter, hdd)) {
        return false;
    } else {
        sayf(msg::hot_spare_removed, adapter, hdd);
    }
    return true;
}

// The removal listing of -PDHSP -Rmv; false when a library call failed.
bool list_spares(const command_options& options)
{
    return for_each_pd(options.adapters.ids, options.pds, [](int adapter, int hdd, std::uint8_t state) {
        zan::PhysicalDriveInfo drive{};
        const bool present = state != zan::ABSENT;
        if (present && !read_pd_info(adapter, hdd, drive)) return false;
        say_listing(adapter, hdd, present, present && is_spare(drive));
        return true;
    });
}

} // namespace

int command_pd_online(frame& context, int argc, const char* const* argv)
{
    return change_state(context, argc, argv, go_online);
}

int command_pd_offline(frame& context, int argc, const char* const* argv)
{
    return change_state(context, argc, argv, go_offline);
}

int command_pd_hot_spare(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{hot_spare_keywords, accepts_pds | accepts_adapters | accepts_nochk};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);

    if (options.action == set_action) {
        if (!confirmed(options, msg::confirm_generic)) return success_status;
    } else if (!options.nochk) {
        if (!list_spares(options) || !confirmed(options, msg::confirm_remove_hot_spare)) return success_status;
    }
    if (!check_pds_present(options.adapters.ids, options.pds)) return success_status;

    static_cast<void>(for_each_pd(options.adapters.ids, options.pds, [&](int adapter, int hdd, std::uint8_t state) {
        return hot_spare_drive(options.action, adapter, hdd, state);
    }));
    return success_status;
}

} // namespace cli
