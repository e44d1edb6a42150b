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
inline constexpr std::uint8_t ASC_PARAMETER_LIST_LENGTH = 0x1A;
inline constexpr std::uint8_t ASC_LUN_NOT_SUPPORTED = 0x25;
inline constexpr std::uint8_t ASC_INVALID_FIELD_IN_PARAMETERS = 0x26;
inline constexpr std::uint8_t ASC_COMMAND_SEQUENCE_ERROR = 0x2C;

} // namespace sim

#endif
