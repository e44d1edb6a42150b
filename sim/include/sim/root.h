// The simulated machine's root directory, shared by every process.
#ifndef SIM_ROOT_H
#define SIM_ROOT_H

#include <string>

namespace sim {

// $ZAN_ROOT when set and not empty, else the default root ($HOME/.zan-root,
// or /tmp/zan-root without a home directory).
std::string root_dir();

} // namespace sim

#endif
