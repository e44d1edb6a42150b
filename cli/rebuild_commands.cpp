// -PDRbld and -PDRbldPrrty: start and watch the rebuild of physical drives,
// and set the adapter's rebuild priorities. A physical drive takes part in a
// rebuild through the logical drive its PhysicalDriveInfo names as group.
#include <array>
#include <string_view>
#include <vector>

#include "command_options.h"
#include "commands.h"
#include "ld_options.h"
#include "library_errors.h"
#include "live_display.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "pd_targets.h"
#include "progress_bar.h"
#include "prompt.h"
#include "task_states.h"
#include "zandllctl.h"

namespace cli {

namespace {

constexpr option_grammar rebuild_options = {task_action_keywords, accepts_pds | accepts_adapters};

// A physical drive and, for a member in use, its logical drive.
struct rebuild_view {
    bool member = false;
    std::uint8_t group = 0; // the logical drive, for a member in use
    zan::LogicalDriveInfo ld{};
};

bool read_rebuild_view(int adapter, int hdd, rebuild_view& view)
{
    zan::PhysicalDriveInfo drive;
    if (!call_library(adapter, getPhysicalDriveInfo, adapter, hdd, &drive)) return false;
    view.member = drive.drive_class == class_member_use;
    view.group = drive.group;
    return !view.member || call_library(adapter, getLogicalDriveInfo, adapter, drive.group, &view.ld);
}

bool is_rebuilding(const rebuild_view& view)
{
    return view.member && view.ld.rebuild_state == rebuild_executing &&
           view.ld.maintenance_state != maintenance_check && view.ld.maintenance_state != maintenance_parity;
}

// The -ShowProg message of a drive that is not rebuilding; nullptr for one
// that is.
const char* idle_message(const rebuild_view& view)
{
    if (!view.member) return msg::pd_not_rebuilding;
    if (view.ld.maintenance_state == maintenance_check) return msg::pd_cc_executing;
    if (view.ld.maintenance_state == maintenance_parity) return msg::pd_mp_executing;
    if (view.ld.rebuild_state == rebuild_executing) return nullptr;
    return msg::pd_not_rebuilding;
}

// Why a drive cannot start a rebuild, or nullptr when its logical drive
// needs one.
const char* start_refusal(const rebuild_view& view)
{
    if (!view.member) return msg::pd_rebuild_impossible;
    if (view.ld.rebuild_state == rebuild_executing) return msg::pd_already_executing;
    if (view.ld.raid_level == raid_level_0) return msg::pd_rebuild_raid0;
    if (view.ld.maintenance_state == maintenance_check) return msg::pd_cc_executing;
    if (view.ld.maintenance_state == maintenance_parity) return msg::pd_mp_executing;
    if (view.ld.rebuild_state == rebuild_needed) return nullptr;
    return msg::pd_rebuild_impossible;
}

// A listed drive and what it showed when the command read it.
struct surveyed_pd {
    display_drive drive;
    rebuild_view view;
};

bool take_survey(const command_options& options, std::vector<surveyed_pd>& drives)
{
    return for_each_pd(options.adapters.ids, options.pds, [&drives](int adapter, int hdd, std::uint8_t) {
        rebuild_view view;
        if (!read_rebuild_view(adapter, hdd, view)) return false;
        drives.push_back({{adapter, hdd}, view});
        return true;
    });
}

void start_rebuilds(const command_options& options)
{
    // Each drive is read when its turn comes: a rebuild started for one
    // member already shows on the next member of the same logical drive.
    static_cast<void>(for_each_pd(options.adapters.ids, options.pds, [](int adapter, int hdd, std::uint8_t) {
        rebuild_view view;
        if (!read_rebuild_view(adapter, hdd, view)) return false;
        if (const char* refusal = start_refusal(view)) {
            sayf(refusal, adapter, hdd);
            return true;
        }
        if (!call_library(adapter, start_Rebuild, adapter, view.group)) return false;
        sayf(msg::rebuild_started, hdd, adapter);
        return true;
    }));
}

void show_rebuilds(const std::vector<surveyed_pd>& drives)
{
    bool heading_shown = false;
    for (const auto& [drive, view] : drives) {
        if (const char* message = idle_message(view)) {
            sayf(message, drive.adapter, drive.number);
            continue;
        }
        if (!heading_shown) say(msg::rebuild_heading);
        heading_shown = true;
        show_progress_bar(drive.adapter, drive.number, view.ld.progress);
    }
}

// The display reads the adapter's state first, so that a drive pulled in
// the meantime shows its bar completed instead of failing the display.
bool read_rebuild_progress(const display_drive& drive, drive_progress& progress)
{
    zan::RaidStatus status;
    if (!read_raid_status(drive.adapter, status)) return false;
    rebuild_view view;
    if (status.hdd_state[drive.number] != zan::ABSENT && !read_rebuild_view(drive.adapter, drive.number, view))
        return false;
    progress = {is_rebuilding(view), view.ld.progress};
    return true;
}

void display_rebuilds(const std::vector<surveyed_pd>& drives)
{
    bool any_rebuild = false;
    for (const auto& [drive, view] : drives)
        if (view.member && view.ld.rebuild_state == rebuild_executing) any_rebuild = true;

    std::vector<display_drive> watched;
    for (const auto& [drive, view] : drives) {
        if (const char* message = idle_message(view)) sayf(message, drive.adapter, drive.number);
        watched.push_back(drive);
    }
    if (!any_rebuild) return wait_for_key();
    say(msg::rebuild_heading);
    run_live_display(watched, read_rebuild_progress);
}

// -PDRbldPrrty: the adapter state and the priority, one keyword each.
struct state_choice {
    std::string_view keyword;
    zan::BOOL32(ZANAPI* set)(int CONTno, int priority);
    const char* word;
};
constexpr std::array<state_choice, 2> rebuild_states = {{{"idle", setRESTintvIDLE, "IDLE"},
                                                         {"busy", setRESTintvBUSY, "BUSY"}}};

struct priority_choice {
    std::string_view keyword;
    int value; // the library's priority
    const char* word;
};
constexpr std::array<priority_choice, 3> rebuild_priorities = {
    {{"high", 1, "High"}, {"middle", 2, "Middle"}, {"low", 3, "Low"}}};

enum : std::uint32_t {
    opt_state = 1u << 0,
    opt_priority = 1u << 1,
    opt_adapter = 1u << 2,
    opt_nochk = 1u << 3,
};

template <typename Choice, std::size_t N>
const Choice* find_choice(const std::array<Choice, N>& choices, std::string_view token)
{
    for (const Choice& choice : choices)
        if (choice.keyword == token) return &choice;
    return nullptr;
}

} // namespace

int command_pd_rebuild(frame& context, int argc, const char* const* argv)
{
    command_options options;
    if (const outcome read = read_command_options(context, argc, argv, rebuild_options, options);
        read != outcome::go_on)
        return status_after(read);
    if (!check_pds_present(options.adapters.ids, options.pds)) return success_status;

    switch (static_cast<task_action>(options.action)) {
    case task_action::start:
        start_rebuilds(options);
        return success_status;
    case task_action::abort:
        // The drive is read before the refusal, so that an adapter that
        // cannot answer is reported as such.
        static_cast<void>(for_each_pd(options.adapters.ids, options.pds, [](int adapter, int hdd, std::uint8_t) {
            rebuild_view view;
            if (read_rebuild_view(adapter, hdd, view)) sayf(msg::not_supported, msg::abort_option);
            return false;
        }));
        return success_status;
    case task_action::show_progress:
    case task_action::display_progress:
        break;
    }
    std::vector<surveyed_pd> drives;
    if (!take_survey(options, drives)) return success_status;
    if (static_cast<task_action>(options.action) == task_action::show_progress) {
        show_rebuilds(drives);
    } else {
        display_rebuilds(drives);
    }
    return success_status;
}

int command_pd_rebuild_priority(frame& context, int argc, const char* const* argv)
{
    const state_choice* state = nullptr;
    const priority_choice* priority = nullptr;
    adapter_selection adapters{};
    bool nochk = false;

    option_loop loop{argc, argv};
    while (next_option(loop)) {
        bool accepted = false;
        if (const state_choice* choice = find_choice(rebuild_states, loop.token)) {
            accepted = mark_seen(loop, opt_state);
            state = choice;
        } else if (const priority_choice* level = find_choice(rebuild_priorities, loop.token)) {
            accepted = mark_seen(loop, opt_priority);
            priority = level;
        } else if (loop.token.starts_with('a')) {
            const outcome taken = take_adapter_option(context, loop, opt_adapter, adapters);
            if (taken == outcome::fatal) return fatal_status;
            accepted = taken == outcome::go_on;
        } else if (loop.token == "nochk") {
            accepted = mark_seen(loop, opt_nochk);
            nochk = true;
        }
        if (!accepted) break;
    }
    // Every rejection names the command argument.
    if (loop.index < loop.argc || (loop.seen & ~opt_nochk) != (opt_state | opt_priority | opt_adapter)) {
        sayf(msg::invalid_input, argv[1]);
        return success_status;
    }

    if (!nochk && confirm(msg::confirm_generic) != answer::yes) return success_status;
    for (const std::uint8_t adapter : adapters.ids) {
        if (adapter == unused_entry) continue;
        if (!call_library(adapter, state->set, adapter, priority->value)) return success_status;
        sayf(msg::rebuild_priority_set, adapter, state->word, priority->word);
    }
    return success_status;
}

} // namespace cli
