// The service's own requests to the driver: the control envelope with the
// service's signature and timeout, sent by the shared exchange under the
// service's retry rule.
#ifndef ZAN_SERVICE_DRIVER_REQUEST_H
#define ZAN_SERVICE_DRIVER_REQUEST_H

#include <cstdint>
#include <span>

#include "plat/device.h"

namespace zan {

// Sends `record` (the data area of control code `code`, of that code's
// record size) on the port device and copies the answer back into it.
// Returns true when the status word is 0; otherwise `os_error` holds the
// system error of a failed send (0 for a status failure).
[[nodiscard]] bool send_driver_request(plat::device& port, std::uint32_t code, std::span<std::uint8_t> record,
                                       std::uint32_t& os_error);

} // namespace zan

#endif
