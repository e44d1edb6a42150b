#include "operations.h"

#include "event_log.h"
#include "raid.h"
#include "tasks.h"

namespace sim {

void set_drive_state(adapter& a, std::uint32_t hdd, std::uint32_t state)
{
    const state_snapshot before = take_snapshot(a);
    a.drives[hdd].state = state;
    settle_logicals(a);
    log_state_changes(a, before);
}

void pull_drive(adapter& a, std::uint32_t hdd)
{
    const state_snapshot before = take_snapshot(a);
    a.drives[hdd] = physical_drive{};
    settle_logicals(a);
    log_state_changes(a, before);
}

void insert_drive(adapter& a, std::uint32_t hdd, physical_drive drive)
{
    const state_snapshot before = take_snapshot(a);
    drive.present = true;
    a.drives[hdd] = std::move(drive);
    // A replacement in a failed member's slot receives the member's data at
    // once when the logical drive rebuilds by itself.
    if (const assignment where = drive_assignment(a, hdd);
        where.logical != NONE && drive_failed(a, hdd) && where.role != ROLE_GROUP_SPARE) {
        logical_drive& ld = a.logicals[where.logical];
        constexpr std::uint32_t AUTO_REBUILD_ENABLED = 0;
        if (ld.auto_rebuild == AUTO_REBUILD_ENABLED && ld.rebuild != REBUILD_EXECUTING &&
            array_state(a, ld) == LD_WARNING) {
            (void)start_rebuild(a, where.logical, true);
        }
    }
    settle_logicals(a);
    log_state_changes(a, before);
}

std::uint32_t inserted_drive_state(const adapter& a, std::uint32_t hdd)
{
    return drive_assignment(a, hdd).logical == NONE ? DRIVE_GOOD : DRIVE_FAILED;
}

} // namespace sim
