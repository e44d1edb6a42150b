#include "tasks.h"

#include <algorithm>
#include <vector>

#include "event_log.h"
#include "operations.h"
#include "raid.h"
#include "zanioctl.h"

namespace sim {

namespace {

// Work is counted in ticks: a millisecond gives 4 ticks at High priority, 2 at
// Middle and 1 at Low, so one percent of a task takes task_seconds * 40 ticks.
constexpr std::uint64_t TICKS_PER_MS_AT_HIGH = 4;

std::uint64_t ticks_per_ms(std::uint32_t priority)
{
    return priority == 1 ? TICKS_PER_MS_AT_HIGH : priority == 2 ? TICKS_PER_MS_AT_HIGH / 2 : 1;
}

std::uint64_t ticks_per_percent(const adapter& a)
{
    return std::uint64_t{std::max<std::uint32_t>(a.task_seconds, 1)} * 1000 * TICKS_PER_MS_AT_HIGH / 100;
}

bool usable(const adapter& a, std::uint32_t hdd)
{
    return hdd < DRIVE_SLOTS && a.drives[hdd].present && !drive_failed(a, hdd) &&
           a.drives[hdd].state != DRIVE_UNSUPPORTED;
}

// The drive that takes over a failed member: a global hot spare or a group
// hot spare of the logical drive, as its hot-spare mode allows, not yet
// `taken`. NONE when there is none.
std::uint32_t find_spare(const adapter& a, const logical_drive& ld, const std::vector<std::uint32_t>& taken)
{
    constexpr std::uint32_t MODE_GLOBAL = 0;
    constexpr std::uint32_t MODE_GROUP = 1;
    const auto free = [&](std::uint32_t hdd) {
        return usable(a, hdd) && std::find(taken.begin(), taken.end(), hdd) == taken.end();
    };
    if (ld.hot_spare_mode == MODE_GLOBAL) {
        for (std::uint32_t d = 0; d < DRIVE_SLOTS; ++d) {
            if (a.drives[d].global_spare != 0 && free(d)) return d;
        }
    }
    if (ld.hot_spare_mode == MODE_GROUP) {
        for (const member& m : ld.members) {
            if (m.role == ROLE_GROUP_SPARE && free(m.hdd)) return m.hdd;
        }
    }
    return NONE;
}

// The sub-state a rebuild's entries carry: it makes a degraded logical drive
// whole.
constexpr std::uint8_t REBUILD_SUB_STATE = LD_WARNING;

std::uint8_t task_of(std::uint32_t maintenance)
{
    return maintenance == MAINTENANCE_CHECK ? TASK_CHECK : TASK_PARITY;
}

// A start (position TASK_STARTED), end (TASK_ENDED) or abort (the task
// OR TASK_ABORTED) of a task on logical drive `number`.
void log_task_step(adapter& a, std::size_t number, std::uint8_t task, std::uint32_t position)
{
    const bool rebuild = (task & ~TASK_ABORTED) == TASK_REBUILD;
    log_task(a, {.logical = static_cast<std::uint8_t>(number),
                 .task = task,
                 .position = position,
                 .sub_state = rebuild ? REBUILD_SUB_STATE : std::uint8_t{0}});
}

// The check of logical drive `number` found its inconsistencies up to
// ld.errors, `before` of them already logged: one entry each, at an address
// spread evenly over the logical drive. Beyond a ring's worth only the last
// can ever be read; the ones before are passed over.
void log_inconsistencies(adapter& a, std::size_t number, std::uint32_t before)
{
    const logical_drive& ld = a.logicals[number];
    if (ld.errors <= before) return;
    std::uint64_t k = before + 1;
    if (ld.errors - before > EVENT_SLOTS) {
        pass_over_events(a, ld.errors - before - EVENT_SLOTS);
        k = ld.errors - EVENT_SLOTS + 1;
    }
    constexpr std::uint64_t BLOCKS_PER_MB = 2048;
    const std::uint64_t spacing =
        std::uint64_t{logical_size_mb(a, ld)} * BLOCKS_PER_MB / (std::uint64_t{ld.inconsistencies} + 1);
    for (; k <= ld.errors; ++k) {
        log_task(a, {.logical = static_cast<std::uint8_t>(number),
                     .task = TASK_CHECK,
                     .position = static_cast<std::uint32_t>(std::min<std::uint64_t>(spacing * k, TASK_ENDED - 1)),
                     .check_result = CHECK_INCONSISTENT});
    }
}

// One failed data member and the drive that receives its data.
struct rebuild_target {
    std::size_t index;
    std::uint32_t hdd;
};

void finish(adapter& a, std::size_t number)
{
    logical_drive& ld = a.logicals[number];
    if (ld.rebuild == REBUILD_EXECUTING) {
        for (const member& m : ld.members) {
            if (m.hdd < DRIVE_SLOTS && a.drives[m.hdd].present && a.drives[m.hdd].state == DRIVE_REBUILDING) {
                a.drives[m.hdd].state = DRIVE_GOOD;
            }
        }
        ld.rebuild = REBUILD_NOT_NEEDED;
        log_task_step(a, number, TASK_REBUILD, TASK_ENDED);
    } else {
        // A check only counts what it finds; parity making also repairs it.
        const std::uint32_t found = ld.errors;
        ld.errors = ld.inconsistencies;
        if (ld.maintenance == MAINTENANCE_CHECK) log_inconsistencies(a, number, found);
        if (ld.maintenance == MAINTENANCE_PARITY) ld.inconsistencies = 0;
        log_task_step(a, number, task_of(ld.maintenance), TASK_ENDED);
        ld.maintenance = MAINTENANCE_NONE;
    }
    ld.progress = 100;
    ld.progress_ticks = 0;
}

// The abort of the rebuild of logical drive `number`, naming the data member
// whose failure ended it.
void log_rebuild_abort(adapter& a, std::size_t number)
{
    for (const member& m : a.logicals[number].members) {
        if (!carries_data(m) || !drive_failed(a, m.hdd)) continue;
        log_task(a, {.logical = static_cast<std::uint8_t>(number),
                     .task = TASK_ABORTED | TASK_REBUILD,
                     .sub_state = REBUILD_SUB_STATE,
                     .drive = static_cast<std::uint8_t>(m.hdd),
                     .cause = a.drives[m.hdd].present ? CAUSE_MEMBER_FAILED : CAUSE_MEMBER_MISSING});
        return;
    }
}

bool running(const logical_drive& ld)
{
    return ld.defined && (ld.rebuild == REBUILD_EXECUTING || ld.maintenance != MAINTENANCE_NONE);
}

} // namespace

void advance_tasks(adapter& a, std::uint64_t now_ms)
{
    if (a.clock_ms == 0 || now_ms < a.clock_ms) {
        a.clock_ms = now_ms;
        return;
    }
    const std::uint64_t work = (now_ms - a.clock_ms) * ticks_per_ms(a.rebuild_priority_idle);
    a.clock_ms = now_ms;
    if (work == 0) return;
    const std::uint64_t per_percent = ticks_per_percent(a);
    const std::uint64_t whole = 100 * per_percent;
    state_snapshot before = take_snapshot(a);
    bool ended = false;
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        logical_drive& ld = a.logicals[n];
        if (!running(ld)) continue;
        const std::uint64_t done_before = std::uint64_t{ld.progress} * per_percent + ld.progress_ticks;
        if (done_before >= whole || whole - done_before <= work) {
            finish(a, n);
            ended = true;
            continue;
        }
        const std::uint64_t done = done_before + work;
        ld.progress = static_cast<std::uint32_t>(done / per_percent);
        ld.progress_ticks = static_cast<std::uint32_t>(done % per_percent);
        if (ld.maintenance != MAINTENANCE_NONE) {
            const std::uint32_t found = ld.errors;
            ld.errors = static_cast<std::uint32_t>(std::uint64_t{ld.inconsistencies} * ld.progress / 100);
            if (ld.maintenance == MAINTENANCE_CHECK) log_inconsistencies(a, n, found);
        }
    }
    if (!ended) return;
    // The entries of the tasks that ended stay before the changes they cause.
    before.events = mark_events(a);
    settle_logicals(a);
    log_state_changes(a, before);
}

std::uint16_t start_rebuild(adapter& a, std::size_t number, bool in_place)
{
    logical_drive& ld = a.logicals[number];
    if (ld.raid_level == 0) return zan::IOC_STATUS_REBUILD_FAILED;
    if (ld.rebuild == REBUILD_EXECUTING) return zan::IOC_STATUS_GOOD;
    if (ld.maintenance != MAINTENANCE_NONE) return zan::IOC_STATUS_REBUILD_FAILED;
    if (array_state(a, ld) == LD_ALARM) return zan::IOC_STATUS_LD_STATUS_IS_ALAM;

    std::vector<rebuild_target> targets;
    std::vector<std::uint32_t> taken;
    for (std::size_t i = 0; i < ld.members.size(); ++i) {
        const member& m = ld.members[i];
        if (!carries_data(m) || !drive_failed(a, m.hdd)) continue;
        if (in_place && a.drives[m.hdd].present) {
            targets.push_back({i, m.hdd});
            continue;
        }
        const std::uint32_t spare = find_spare(a, ld, taken);
        if (spare == NONE) return zan::IOC_STATUS_REBUILD_FAILED;
        taken.push_back(spare);
        targets.push_back({i, spare});
    }
    if (targets.empty() && ld.rebuild == REBUILD_NOT_NEEDED) return zan::IOC_STATUS_REBUILD_FAILED;

    for (const rebuild_target& t : targets) {
        if (ld.members[t.index].hdd != t.hdd) {
            // The spare takes the member's place; the failed drive leaves.
            ld.members[t.index] = {t.hdd, ROLE_SPARE_IN_USE};
            a.drives[t.hdd].global_spare = 0;
        }
        a.drives[t.hdd].state = DRIVE_REBUILDING;
    }
    // A group hot spare that took over is listed once, at its new place.
    std::erase_if(ld.members, [&taken](const member& m) {
        return m.role == ROLE_GROUP_SPARE && std::find(taken.begin(), taken.end(), m.hdd) != taken.end();
    });
    ld.rebuild = REBUILD_EXECUTING;
    ld.progress = 0;
    ld.progress_ticks = 0;
    ld.errors = 0;
    log_task_step(a, number, TASK_REBUILD, TASK_STARTED);
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t start_maintenance(adapter& a, std::size_t number, std::uint32_t kind)
{
    logical_drive& ld = a.logicals[number];
    const std::uint16_t refused =
        kind == MAINTENANCE_CHECK ? zan::IOC_STATUS_PARITY_CHK_FAILED : zan::IOC_STATUS_PARITY_WRT_FAILED;
    if (ld.maintenance == kind) return zan::IOC_STATUS_GOOD;
    // Parity exists only on redundant levels, and only intact data can be
    // checked against it.
    if (ld.raid_level == 0 || ld.maintenance != MAINTENANCE_NONE || ld.rebuild != REBUILD_NOT_NEEDED ||
        array_state(a, ld) != LD_GOOD) {
        return refused;
    }
    ld.maintenance = kind;
    ld.progress = 0;
    ld.progress_ticks = 0;
    ld.errors = 0;
    log_task_step(a, number, task_of(kind), TASK_STARTED);
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t stop_maintenance(adapter& a, std::size_t number)
{
    logical_drive& ld = a.logicals[number];
    if (ld.maintenance == MAINTENANCE_NONE) return zan::IOC_STATUS_CANCEL_PARITY_FAILED;
    log_task_step(a, number, TASK_ABORTED | task_of(ld.maintenance), TASK_STARTED);
    ld.maintenance = MAINTENANCE_NONE;
    ld.progress_ticks = 0;
    return zan::IOC_STATUS_GOOD;
}

void settle_logicals(adapter& a)
{
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        logical_drive& ld = a.logicals[n];
        if (!ld.defined || ld.raid_level == 0) continue;
        std::uint8_t state = array_state(a, ld);
        if (state != LD_GOOD && ld.rebuild == REBUILD_EXECUTING) {
            // A member failed during the rebuild (perhaps the one being
            // rebuilt): the rebuild ends, and drives that did not receive
            // all of their data count as failed.
            log_rebuild_abort(a, n);
            for (const member& m : ld.members) {
                if (a.drives[m.hdd].present && a.drives[m.hdd].state == DRIVE_REBUILDING) {
                    a.drives[m.hdd].state = DRIVE_FAILED;
                }
            }
            ld.rebuild = REBUILD_NEEDED;
            ld.progress_ticks = 0;
            state = array_state(a, ld);
        }
        if (state != LD_GOOD && ld.maintenance != MAINTENANCE_NONE) {
            log_task_step(a, n, TASK_ABORTED | task_of(ld.maintenance), TASK_STARTED);
            ld.maintenance = MAINTENANCE_NONE;
        }
        if (state == LD_WARNING) {
            constexpr std::uint32_t AUTO_REBUILD_ENABLED = 0;
            if (ld.auto_rebuild == AUTO_REBUILD_ENABLED && start_rebuild(a, n, false) == zan::IOC_STATUS_GOOD) {
                continue;
            }
            ld.rebuild = REBUILD_NEEDED;
        } else if (state == LD_GOOD && ld.rebuild == REBUILD_NEEDED) {
            ld.rebuild = REBUILD_NOT_NEEDED;
        }
    }
}

} // namespace sim
