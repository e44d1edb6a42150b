// The simulated machine's clock, in milliseconds since 1970: real time, or a
// simulated time kept in <root>/clock that moves only when told. Background
// work on every adapter follows it.
#ifndef SIM_ENGINE_CLOCK_H
#define SIM_ENGINE_CLOCK_H

#include <cstdint>
#include <string>

namespace sim {

struct clock_reading {
    bool simulated = false;
    std::uint64_t now_ms = 0;
};

// The clock now. Returns an empty string, or what is wrong with the file.
[[nodiscard]] std::string read_clock(const std::string& root, clock_reading& out);

// Switches to a simulated clock standing at `now_ms`.
[[nodiscard]] std::string set_simulated_clock(const std::string& root, std::uint64_t now_ms);

// Switches back to real time.
[[nodiscard]] std::string use_real_clock(const std::string& root);

} // namespace sim

#endif
