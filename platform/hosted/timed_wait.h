// Timed waits of the hosted build. While the simulated machine's clock is
// stopped, a wait's time limit is counted on that clock: the wait ends when
// `zansim clock advance` moves the clock past its deadline (or when what it
// waits for happens), so tests move through timed waits without waiting.
// Such a wait shows itself in <root>/waits/PID-TID (its deadline in
// milliseconds), so that a test can tell that a program sits in a wait.
#ifndef PLAT_HOSTED_TIMED_WAIT_H
#define PLAT_HOSTED_TIMED_WAIT_H

#include <cstdint>

namespace plat::hosted {

enum class readable { yes, timeout, failed };

// Waits until `fd` is readable, at most `timeout_ms` (0xFFFFFFFF: no limit).
// failed leaves the reason in errno.
readable wait_readable(int fd, std::uint32_t timeout_ms);

} // namespace plat::hosted

#endif
