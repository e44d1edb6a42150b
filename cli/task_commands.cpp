// -LDCC and -LDParity: start, abort and watch the consistency check and the
// parity making of logical drives. The two commands are mirror images: each
// has its own task (maintenance state 1 or 2) and names the other one when
// it finds it running.
#include <array>
#include <string_view>
#include <vector>

#include "command_options.h"
#include "commands.h"
#include "ld_targets.h"
#include "library_errors.h"
#include "live_display.h"
#include "messages.h"
#include "output.h"
#include "progress_bar.h"
#include "task_states.h"
#include "zandllctl.h"

namespace cli {

namespace {

struct ld_task {
    std::uint8_t own_state;  // maintenance state while this task runs
    std::uint8_t other_state;
    zan::BOOL32(ZANAPI* start)(int CONTno, int GROUPno);
    zan::BOOL32(ZANAPI* stop)(int CONTno, int GROUPno);
    const char* started;
    const char* aborted;
    const char* raid0;
    const char* already_ended;
    const char* not_in_progress;
    const char* heading;
};

constexpr ld_task consistency_check = {
    maintenance_check,  maintenance_parity, start_consistencyCheck, stop_consistencyCheck,
    msg::cc_started,    msg::cc_aborted,    msg::cc_raid0,          msg::cc_already_ended,
    msg::cc_not_in_progress, msg::cc_heading,
};
constexpr ld_task make_parity = {
    maintenance_parity, maintenance_check,  start_makeParity,  stop_makeParity,
    msg::mp_started,    msg::mp_aborted,    msg::mp_raid0,     msg::mp_already_ended,
    msg::mp_not_in_progress, msg::mp_heading,
};

constexpr option_grammar task_options = {task_action_keywords, accepts_lds | accepts_adapters};

// A target and its record as read once at the start.
struct surveyed_ld {
    ld_target target;
    zan::LogicalDriveInfo info;
};

// What the targets hold, and what each action prints or leaves out.
struct ld_survey {
    std::vector<surveyed_ld> drives;
    bool own_running = false; // some target runs the command's task
    bool startable = false;   // some target is idle and not RAID 0
    bool all_lds = false;     // the selection was "-Lall"
};

bool read_ld_info(int adapter, int ld, zan::LogicalDriveInfo& info)
{
    return call_library(adapter, getLogicalDriveInfo, adapter, ld, &info);
}

bool take_survey(const ld_task& task, const std::vector<ld_target>& targets, ld_survey& survey)
{
    for (const ld_target& target : targets) {
        zan::LogicalDriveInfo info;
        if (!read_ld_info(target.adapter, target.ld, info)) return false;
        if (info.maintenance_state == task.own_state) survey.own_running = true;
        if (info.maintenance_state == maintenance_none && info.raid_level != raid_level_0) survey.startable = true;
        survey.drives.push_back({target, info});
    }
    return true;
}

bool runs_own_task(const ld_task& task, const zan::LogicalDriveInfo& info)
{
    return info.maintenance_state == task.own_state;
}

// The message for a drive whose progress cannot be shown: the other task or
// a rebuild runs on it, or nothing does.
const char* idle_message(const ld_task& task, const zan::LogicalDriveInfo& info)
{
    if (info.maintenance_state == task.other_state) return vd_executing_message(task.other_state);
    if (info.rebuild_state == rebuild_executing) return msg::vd_rebuild_executing;
    return task.not_in_progress;
}

// Why a drive cannot start the task, or nullptr when it can.
const char* start_refusal(const ld_task& task, const zan::LogicalDriveInfo& info)
{
    if (info.raid_level == raid_level_0) return task.raid0;
    if (runs_own_task(task, info)) return msg::vd_already_executing;
    if (info.maintenance_state == task.other_state) return vd_executing_message(task.other_state);
    if (info.rebuild_state == rebuild_executing) return msg::vd_rebuild_executing;
    return nullptr;
}

void start_tasks(const ld_task& task, const ld_survey& survey)
{
    // With "-Lall" and a drive that can start, the others are not named.
    const bool quiet = survey.all_lds && survey.startable;
    for (const auto& [target, info] : survey.drives) {
        if (const char* refusal = start_refusal(task, info)) {
            if (!quiet) sayf(refusal, target.adapter, target.ld);
            continue;
        }
        if (!call_library(target.adapter, task.start, target.adapter, target.ld)) return;
        sayf(task.started, target.ld, target.adapter);
    }
}

void abort_tasks(const ld_task& task, const ld_survey& survey)
{
    const bool quiet = survey.all_lds && survey.own_running;
    for (const auto& [target, info] : survey.drives) {
        if (!runs_own_task(task, info)) {
            if (!quiet) sayf(task.already_ended, target.adapter, target.ld);
            continue;
        }
        if (!call_library(target.adapter, task.stop, target.adapter, target.ld)) return;
        sayf(task.aborted, target.ld, target.adapter);
    }
}

void show_progress(const ld_task& task, const ld_survey& survey)
{
    const bool quiet = survey.all_lds && survey.own_running;
    bool heading_shown = false;
    for (const auto& [target, info] : survey.drives) {
        const bool own = runs_own_task(task, info);
        if (!own || info.rebuild_state == rebuild_executing) {
            if (own || !quiet) sayf(idle_message(task, info), target.adapter, target.ld);
            continue;
        }
        if (!heading_shown) say(task.heading);
        heading_shown = true;
        show_progress_bar(target.adapter, target.ld, info.progress);
    }
}

void display_progress(const ld_task& task, const ld_survey& survey)
{
    if (!survey.own_running) {
        for (const auto& [target, info] : survey.drives) sayf(idle_message(task, info), target.adapter, target.ld);
        wait_for_key();
        return;
    }
    std::vector<display_drive> watched;
    for (const auto& [target, info] : survey.drives) {
        if (runs_own_task(task, info)) {
            watched.push_back({target.adapter, target.ld});
        } else if (!survey.all_lds) {
            sayf(idle_message(task, info), target.adapter, target.ld);
        }
    }
    say(task.heading);
    run_live_display(watched, [&task](const display_drive& drive, drive_progress& progress) {
        zan::LogicalDriveInfo info;
        if (!read_ld_info(drive.adapter, drive.number, info)) return false;
        progress = {runs_own_task(task, info), info.progress};
        return true;
    });
}

int run_ld_task(frame& context, int argc, const char* const* argv, const ld_task& task)
{
    command_options options;
    std::vector<ld_target> targets;
    if (const outcome read = read_ld_target_options(context, argc, argv, task_options, options, targets);
        read != outcome::go_on)
        return status_after(read);
    ld_survey survey;
    survey.all_lds = options.lds.all;
    if (!take_survey(task, targets, survey)) return success_status;

    switch (static_cast<task_action>(options.action)) {
    case task_action::start:
        start_tasks(task, survey);
        break;
    case task_action::abort:
        abort_tasks(task, survey);
        break;
    case task_action::show_progress:
        show_progress(task, survey);
        break;
    case task_action::display_progress:
        display_progress(task, survey);
        break;
    }
    return success_status;
}

} // namespace

int command_ld_consistency_check(frame& context, int argc, const char* const* argv)
{
    return run_ld_task(context, argc, argv, consistency_check);
}

int command_ld_make_parity(frame& context, int argc, const char* const* argv)
{
    return run_ld_task(context, argc, argv, make_parity);
}

} // namespace cli
