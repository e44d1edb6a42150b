// Changes of drive states and of the drives present, as the firmware makes
// them whether a request or the hardware causes them. Each lets the logical
// drives react (hot spares, rebuilds; tasks.h) and writes the event-log
// entries of the states it changes.
#ifndef SIM_ENGINE_OPERATIONS_H
#define SIM_ENGINE_OPERATIONS_H

#include <cstdint>

#include "model.h"

namespace sim {

// The state a failed drive takes, forced offline or broken.
inline constexpr std::uint32_t DRIVE_FAILED = DRIVE_ALARM_FIRST;

// Sets the state of present drive `hdd`.
void set_drive_state(adapter& a, std::uint32_t hdd, std::uint32_t state);

// A drive taken out of its slot: its slot becomes empty, a global hot spare
// stops being one, a member leaves its logical drive without it.
void pull_drive(adapter& a, std::uint32_t hdd);

// A drive put into the empty slot `hdd`. A failed drive in the slot of a
// degraded logical drive's member is rebuilt when auto rebuild is on.
void insert_drive(adapter& a, std::uint32_t hdd, physical_drive drive);

// The state a drive put into slot `hdd` starts in: good, or failed when a
// logical drive lists the slot as a member, for the new drive holds none of
// its data until it is rebuilt or forced online.
std::uint32_t inserted_drive_state(const adapter& a, std::uint32_t hdd);

} // namespace sim

#endif
