// The server side of the simulator link: one connection's requests, run with
// the hosted platform layer against the simulated machine, exactly as a
// hosted program would make them. Sockets and processes are serve.cpp's.
#ifndef SIM_LINK_SESSION_H
#define SIM_LINK_SESSION_H

#include <cstdint>
#include <span>
#include <vector>

#include "plat/device.h"

namespace sim::link {

struct session {
    bool started = false;        // the session request came
    bool stop_requested = false; // a stop request came: the server is to end
    plat::device device;         // the device this connection has open
};

// Answers one request payload of the connection into `answer` (a whole
// frame). False when the payload is malformed or out of order: the
// connection is then closed. The session request sets ZAN_ROOT for the rest
// of the process, so a process serves one connection.
[[nodiscard]] bool answer_request(session& s, std::span<const std::uint8_t> payload, std::vector<std::uint8_t>& answer);

} // namespace sim::link

#endif
