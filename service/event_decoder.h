// The decoding table: what Event Log report, if any, each adapter event-log
// entry yields. Pure: the only state is the single-bit error counters, which
// the caller keeps for the life of the service.
#ifndef ZAN_SERVICE_EVENT_DECODER_H
#define ZAN_SERVICE_EVENT_DECODER_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controller_event.h"

namespace zan {

// One report: message ID, insertion strings (the first is the adapter
// index), raw data.
struct event_report {
    std::uint32_t id = 0;
    std::vector<std::string> strings;
    std::vector<std::uint8_t> data;
    bool requests_panic_dump = false; // a firmware panic: save adapter memory this cycle
};

// Single-bit memory error counts per memory location, shared by all
// adapters; SINGLE_BIT_REPORTED marks a location already reported.
inline constexpr std::uint16_t SINGLE_BIT_REPORTED = 0xFFFF;
inline constexpr std::uint16_t SINGLE_BIT_THRESHOLD = 10;
using single_bit_counters = std::array<std::uint16_t, 256>;

// The reports of one non-empty entry of adapter `adapter` (0-3), in order.
std::vector<event_report> decode_event(controller_event entry, std::uint8_t adapter, single_bit_counters& counters);

} // namespace zan

#endif
