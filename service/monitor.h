// The monitor: the adapters the service found, its start-up contact with
// them, the poll cycle that walks their event logs, the clock setting and
// the stop notices. It does not know who drives it (the service frame, or a
// test).
#ifndef ZAN_SERVICE_MONITOR_H
#define ZAN_SERVICE_MONITOR_H

#include <array>
#include <cstdint>
#include <functional>

#include "event_decoder.h"
#include "plat/clock.h"
#include "plat/device.h"
#include "plat/sync.h"

namespace zan {

inline constexpr std::size_t MAX_ADAPTERS = 4;
inline constexpr std::uint32_t CONTACT_ATTEMPTS = 10;
inline constexpr std::uint32_t CONTACT_PAUSE_MS = 30000;
inline constexpr std::uint32_t CLOCK_SETTING_CYCLES = 120; // set again once the counter exceeds it

struct monitored_controller {
    plat::device port;
    std::array<std::uint8_t, 84> controller_info{};
    std::array<std::uint8_t, 100> raid_status{};
    std::array<std::uint8_t, 100> previous_raid_status{};
    std::int32_t resume = -1;
    std::uint8_t port_number = 0;
    bool present = false;
    bool dump_requested = false; // a firmware panic was reported: save the panic dump this cycle
};

struct monitor_state {
    std::array<monitored_controller, MAX_ADAPTERS> adapters;
    std::uint32_t found = 0;
    std::uint32_t answered = 0;
    std::uint32_t clock_counter = 0;
    single_bit_counters counters{};
    std::uint32_t last_error = 0; // the last system error of start-up, both exit codes at the end
};

enum class discovery_end { found, none, failed };

// Opens the ports of "zandrv" (at most four, in registry order).
discovery_end discover(monitor_state& m);

// The initial contact: up to CONTACT_ATTEMPTS rounds, `pause` waited on for
// CONTACT_PAUSE_MS after each round without an answer. False after the last
// round without one (reported per found adapter).
[[nodiscard]] bool contact(monitor_state& m, plat::event& pause);

// The start-up steps after the contact: the first poll cycle, clocks, dump
// information and the started notice to each present adapter.
void start_monitoring(monitor_state& m);

void poll_cycle(monitor_state& m);

// Sends the stop notice to every found adapter, each on a thread of its own,
// and waits for them in steps of 1000 ms, calling `still_waiting` after each
// step that times out. Then closes the ports.
void stop_adapters(monitor_state& m, const std::function<void()>& still_waiting);

// The MODE SELECT parameter list that sets an adapter's clock to `t`.
std::array<std::uint8_t, 28> clock_parameters(const plat::local_time& t);

} // namespace zan

#endif
