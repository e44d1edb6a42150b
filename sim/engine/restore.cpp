// Restore candidates: logical-drive configurations found on drives that
// belong to no logical drive of the adapter. The firmware lists them with
// their states, describes each in the LogicalDriveInfo layout, and restores
// one as a logical drive or deletes it, freeing its drives.
#include <algorithm>
#include <cstring>

#include "answers.h"
#include "event_log.h"
#include "raid.h"
#include "records.h"
#include "tasks.h"
#include "zanioctl.h"

namespace sim {

namespace {

// GET_RESTORE_STATUS record.
constexpr std::size_t STATUS_COUNT = 12;
constexpr std::size_t STATUS_STATES = 13;

// CONFIG_RESTORE record.
constexpr std::size_t RESTORE_ACTION = 1;
constexpr std::size_t RESTORE_CANDIDATE = 2;
constexpr std::size_t RESTORE_GROUP = 3;
constexpr std::size_t RESTORE_NO_READ_AHEAD = 18;
constexpr std::size_t RESTORE_WRITE_THROUGH = 19;
constexpr std::uint8_t ACTION_RESTORE = 0;
constexpr std::uint8_t ACTION_DELETE = 1;

} // namespace

std::uint16_t get_restore_status(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    std::uint8_t count = 0;
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        const logical_drive& c = a.candidates[n];
        record[STATUS_STATES + n] = c.defined ? array_state(a, c) : NONE;
        if (c.defined) ++count;
    }
    record[STATUS_COUNT] = count;
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_restore_logical_disk_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record) || record[1] >= LOGICAL_SLOTS) return zan::IOC_STATUS_INVALID_PARAM;
    const int number = record[1];
    if (!a.candidates[static_cast<std::size_t>(number)].defined) return zan::IOC_STATUS_FAILURE;
    const zan::LogicalDriveInfo info = build_candidate_info(a, number);
    std::memcpy(record.data(), &info, std::min(sizeof info, record.size()));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t config_restore(adapter& a, std::span<std::uint8_t> record)
{
    const std::uint8_t action = record[RESTORE_ACTION];
    const std::uint8_t number = record[RESTORE_CANDIDATE];
    const std::uint8_t group = record[RESTORE_GROUP];
    const std::uint8_t no_read_ahead = record[RESTORE_NO_READ_AHEAD];
    const std::uint8_t write_through = record[RESTORE_WRITE_THROUGH];
    if (!addressed_here(a, record) || (action != ACTION_RESTORE && action != ACTION_DELETE) ||
        number >= LOGICAL_SLOTS) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    logical_drive& candidate = a.candidates[number];
    if (!candidate.defined) return zan::IOC_STATUS_FAILURE;
    if (action == ACTION_DELETE) {
        candidate = logical_drive{};
        return zan::IOC_STATUS_GOOD;
    }
    if (group >= LOGICAL_SLOTS || no_read_ahead > 1 || write_through > 1) return zan::IOC_STATUS_INVALID_PARAM;
    if (a.logicals[group].defined) return zan::IOC_STATUS_FAILURE;
    // Only a complete configuration on good drives comes back into service.
    for (const member& m : candidate.members) {
        if (!a.drives[m.hdd].present) return zan::IOC_STATUS_HDDS_NOT_EXIST;
        if (drive_failed(a, m.hdd) || a.drives[m.hdd].state == DRIVE_UNSUPPORTED) {
            return zan::IOC_STATUS_HDD_IS_NOT_GOOD;
        }
    }
    const state_snapshot before = take_snapshot(a);
    logical_drive restored = candidate;
    restored.read_cache = no_read_ahead;
    restored.write_cache = write_through;
    restored.rebuild = REBUILD_NOT_NEEDED;
    restored.maintenance = MAINTENANCE_NONE;
    restored.progress = 0;
    restored.progress_ticks = 0;
    restored.errors = 0;
    restored.forced = 0;
    restored.delete_step = 0;
    restored.volumes.clear();
    a.logicals[group] = std::move(restored);
    candidate = logical_drive{};
    log_state_changes(a, before);
    return zan::IOC_STATUS_GOOD;
}

} // namespace sim
