// Execute request: the library's one way to the driver. Builds the envelope
// around a 536-byte work record, exchanges it on the controller's port device
// and copies the answer back.
#ifndef ZAN_REQUEST_H
#define ZAN_REQUEST_H

#include <cstddef>
#include <cstdint>

namespace zan {

inline constexpr std::size_t WORK_RECORD_SIZE = 536;
using work_record = std::uint8_t[WORK_RECORD_SIZE];

// The record size of a control code the library sends, or 0 for another code.
std::uint32_t library_record_size(std::uint32_t control_code);

// The status word of a record for a control code; IOC_STATUS_FAILURE for a
// code the library does not send.
std::uint16_t record_status(const std::uint8_t* record, std::uint32_t control_code);

// Sends the work record to the controller in `controller`'s slot. On failure
// returns false with the cause, flagged 0x10000000, in the thread's error.
[[nodiscard]] bool execute_request(std::uint8_t controller, std::uint32_t control_code, work_record& record);

} // namespace zan

#endif
