// Firmware trace collection: the trace configuration from the registry
// (PTime and the EventID list), the hook by which reported events ask for a
// collection, the check at the end of every poll cycle, and the start of the
// log tool that collects.
#ifndef ZAN_SERVICE_TRACE_H
#define ZAN_SERVICE_TRACE_H

#include <array>
#include <cstdint>
#include <vector>

namespace zan {

inline constexpr std::uint32_t PTIME_DEFAULT = 1;
inline constexpr std::uint32_t PTIME_LIMIT = 720;

struct trace_state {
    std::uint32_t ptime = PTIME_DEFAULT;       // poll cycles between two collections; 0: none
    std::vector<std::uint32_t> event_codes;   // low 16 bits of the IDs that ask for a collection
    std::array<bool, 4> requested{};          // per adapter
    std::uint32_t counter = 0;                // poll cycles since the last start
};

// The service's trace state, shared by the reporting routine and the monitor.
trace_state& service_trace();

// Reads PTime and the EventID list into `t` (reports what can't be read).
void read_trace_configuration(trace_state& t);

// The hook of the reporting routine: a reported event of adapter `adapter`
// whose code is listed asks for a collection.
void note_reported_event(trace_state& t, std::uint32_t id, std::uint8_t adapter);

// End of a poll cycle: starts at most one collection, for the first adapter
// that asked once PTime cycles have passed. `start` runs the log tool and
// says whether it started.
void trace_check(trace_state& t, std::uint32_t found, bool (*start)(std::uint8_t adapter));

// Starts the log tool for adapter `adapter` and waits for it at most 5 s.
bool start_log_tool(std::uint8_t adapter);

} // namespace zan

#endif
