// The Windows end of the simulator link (test builds only): a connection to
// `zansim serve` on 127.0.0.1, on the port ZAN_LINK_PORT names, with a
// session on the root ZAN_ROOT names. See sim/include/sim/link.h.
#ifndef PLAT_WIN32_LINK_CLIENT_H
#define PLAT_WIN32_LINK_CLIENT_H

#include <cstdint>
#include <vector>

#include "sim/link.h"

namespace plat::link {

class connection {
public:
    connection() = default;
    ~connection();
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    // Connects and opens the session. ERR_FILE_NOT_FOUND when no link is
    // configured (the machine then has no devices, as a Windows machine
    // without adapters), ERR_IO_DEVICE when the server cannot be reached.
    [[nodiscard]] std::uint32_t connect();

    // Sends one request and receives its answer's payload, the echoed
    // request code checked and skipped. ERR_IO_DEVICE when the server went
    // away, did not answer in time or answered out of turn.
    [[nodiscard]] std::uint32_t exchange(sim::link::writer& request, std::vector<std::uint8_t>& answer);

private:
    std::uintptr_t socket_ = ~std::uintptr_t{0};
};

} // namespace plat::link

#endif
