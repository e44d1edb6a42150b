// The firmware's background work on logical drives: rebuilds, consistency
// checks and parity making. Work advances with the clock at the rate the
// idle rebuild priority sets; the state is brought up to the clock lazily,
// before every request and every report. Member failures are answered here
// too: a hot spare takes the failed member's place, or the logical drive
// waits for a rebuild.
#ifndef SIM_ENGINE_TASKS_H
#define SIM_ENGINE_TASKS_H

#include <cstdint>

#include "model.h"

namespace sim {

// Maintenance kinds (LogicalDriveInfo byte 96).
inline constexpr std::uint32_t MAINTENANCE_NONE = 0;
inline constexpr std::uint32_t MAINTENANCE_CHECK = 1;
inline constexpr std::uint32_t MAINTENANCE_PARITY = 2;

// Rebuild states (byte 95).
inline constexpr std::uint32_t REBUILD_NOT_NEEDED = 0;
inline constexpr std::uint32_t REBUILD_NEEDED = 1;
inline constexpr std::uint32_t REBUILD_EXECUTING = 2;

// Brings the running work of the adapter up to clock time `now_ms`: progress,
// error counts and the end of each task (with its state changes logged). The
// first call only sets the adapter's clock; a clock that went back is taken
// as the new starting point.
void advance_tasks(adapter& a, std::uint64_t now_ms);

// Starts a rebuild of logical drive `number`: every failed data member is
// rebuilt in its slot when `in_place` allows and its drive is present, else
// replaced by a hot spare its hot-spare mode allows. Returns the status word
// (IOC_STATUS_GOOD, or why not; nothing changes then). A running rebuild is
// left running.
[[nodiscard]] std::uint16_t start_rebuild(adapter& a, std::size_t number, bool in_place);

// Starts or stops a consistency check or parity making; status as above.
[[nodiscard]] std::uint16_t start_maintenance(adapter& a, std::size_t number, std::uint32_t kind);
[[nodiscard]] std::uint16_t stop_maintenance(adapter& a, std::size_t number);

// The firmware's answer to changed drive states, called after every change
// and before its events are logged: work on a logical drive whose data can
// no longer be trusted stops; a degraded redundant logical drive takes hot
// spares when its auto rebuild is on, else waits with rebuild state Needed;
// a logical drive whose members are all good again needs no rebuild.
void settle_logicals(adapter& a);

} // namespace sim

#endif
