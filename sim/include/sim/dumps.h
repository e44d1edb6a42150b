// What the monitoring service saves from an adapter, set up from outside:
// the stored dump the firmware keeps, and a firmware panic in its event log.
#ifndef SIM_DUMPS_H
#define SIM_DUMPS_H

#include <cstdint>
#include <string>

namespace sim {

// The adapter on `port` keeps a stored dump of `size` bytes with dump status
// `status` (1: ready to be read); size 0 and status 0: none. Returns an empty
// string or what went wrong.
[[nodiscard]] std::string set_stored_dump(int port, std::uint32_t size, std::uint32_t status);

// The firmware panics with `error_code`: a firmware-panic entry (class 32,
// code 3, kind 0x20, the code at 0x50) goes into the event-log ring.
[[nodiscard]] std::string add_panic(int port, std::uint32_t error_code);

} // namespace sim

#endif
