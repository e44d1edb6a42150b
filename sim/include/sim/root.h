// The simulated machine's root directory, shared by every process.
#ifndef SIM_ROOT_H
#define SIM_ROOT_H

#include <cstdint>
#include <string>

namespace sim {

// $ZAN_ROOT when set and not empty, else the default root ($HOME/.zan-root,
// or /tmp/zan-root without a home directory).
std::string root_dir();

// The simulated clock of `root`, in milliseconds since 1970: true with the
// time while it is stopped (it then moves only when told), false while the
// machine follows real time.
bool stopped_clock(const std::string& root, std::uint64_t& now_ms);

} // namespace sim

#endif
