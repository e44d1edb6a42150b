// One pass-through command from a checked request to its result code.
#ifndef ZANDLLPTH_COMMAND_H
#define ZANDLLPTH_COMMAND_H

#include <cstdint>

#include "zandllpth.h"

namespace zan::pth {

// ZanPasAnyCommand after the argument checks: the request's own checks,
// device, address, transfer buffer, the "Mutex" pass-through lock, the
// command, and the copies back. Every handle, buffer and the mutex are
// released on every path.
[[nodiscard]] int run_command(ZanPasRequest& request, void* data, std::uint32_t& length, char* out,
                              std::uint32_t& out_size);

} // namespace zan::pth

#endif
