// The simulated firmware's answers to control requests, one table entry per
// control code it models.
#ifndef SIM_ENGINE_DISPATCH_H
#define SIM_ENGINE_DISPATCH_H

#include <cstdint>
#include <span>

#include "model.h"

namespace sim {

// Answers one request whose envelope has been checked: `record` is the
// request record (as long as the envelope's Length), updated in place with the
// answer. Returns the status word for the code's status position.
[[nodiscard]] std::uint16_t answer_request(adapter& a, std::uint32_t code, std::span<std::uint8_t> record);

// The completion triple of a SCSI command the adapter refuses: CHECK
// CONDITION, sense key ILLEGAL REQUEST and the additional sense code.
inline constexpr std::uint8_t SCSI_CHECK_CONDITION = 0x02;
inline constexpr std::uint8_t SENSE_ILLEGAL_REQUEST = 0x05;
inline constexpr std::uint8_t ASC_INVALID_OPERATION_CODE = 0x20;
inline constexpr std::uint8_t ASC_INVALID_FIELD_IN_CDB = 0x24;

} // namespace sim

#endif
