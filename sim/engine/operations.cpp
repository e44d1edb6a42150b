#include "operations.h"

#include "event_log.h"
#include "raid.h"

namespace sim {

void set_drive_state(adapter& a, std::uint32_t hdd, std::uint32_t state)
{
    const state_snapshot before = take_snapshot(a);
    a.drives[hdd].state = state;
    log_state_changes(a, before);
}

void pull_drive(adapter& a, std::uint32_t hdd)
{
    const state_snapshot before = take_snapshot(a);
    a.drives[hdd] = physical_drive{};
    log_state_changes(a, before);
}

void insert_drive(adapter& a, std::uint32_t hdd, physical_drive drive)
{
    const state_snapshot before = take_snapshot(a);
    drive.present = true;
    a.drives[hdd] = std::move(drive);
    log_state_changes(a, before);
}

std::uint32_t inserted_drive_state(const adapter& a, std::uint32_t hdd)
{
    return drive_assignment(a, hdd).logical == NONE ? DRIVE_GOOD : DRIVE_FAILED;
}

} // namespace sim
