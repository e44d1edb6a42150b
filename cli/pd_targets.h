// Physical drives of the adapter and drive selections: presence, alarm
// states and the walk over every listed drive of every listed adapter.
#ifndef CLI_PD_TARGETS_H
#define CLI_PD_TARGETS_H

#include <cstdint>

#include "ld_targets.h"
#include "selection.h"
#include "zandllctl.h"

namespace cli {

// A drive in an Alarm state (Alarm0 to Alarm7) is offline.
[[nodiscard]] bool is_alarm_state(std::uint8_t state);

// Drives 0-7 that are present.
[[nodiscard]] int count_physical_drives(const zan::RaidStatus& status);

// Every listed drive must be present on every listed adapter; the first one
// that is not ends the command with "The specified Physical Drive: N doesn't
// exist." False when the command ends here (message or library error
// printed).
[[nodiscard]] bool check_pds_present(const adapter_list& adapters, const drive_list& drives);

// Calls step(adapter, drive, state byte) for every listed drive of every
// listed adapter, adapters and drives ascending, with the adapter's state
// read once before its drives. Stops and returns false when step does or
// the state cannot be read (library error reported).
template <typename Step>
[[nodiscard]] bool for_each_pd(const adapter_list& adapters, const drive_list& drives, Step step)
{
    for (const std::uint8_t adapter : adapters) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return false;
        for (const std::uint8_t hdd : drives)
            if (hdd != unused_entry && !step(static_cast<int>(adapter), static_cast<int>(hdd), status.hdd_state[hdd]))
                return false;
    }
    return true;
}

} // namespace cli

#endif
