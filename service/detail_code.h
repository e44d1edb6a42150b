// The detail code of the service's messages: four bytes written as eight
// lower-case hex digits, the first byte a reason value ORed with the adapter
// index.
#ifndef ZAN_SERVICE_DETAIL_CODE_H
#define ZAN_SERVICE_DETAIL_CODE_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace zan {

// Reason values of the first byte.
inline constexpr std::uint8_t REASON_NO_ANSWER = 0x00;
inline constexpr std::uint8_t REASON_DRIVE_FAILED = 0x18;
inline constexpr std::uint8_t REASON_DRIVE_OFFLINE = 0x1C;
inline constexpr std::uint8_t REASON_LOGICAL_DEGRADED = 0x24;
inline constexpr std::uint8_t REASON_LOGICAL_FAILED = 0x28;
inline constexpr std::uint8_t REASON_SMART = 0x2C;
inline constexpr std::uint8_t REASON_FIRMWARE_PANIC = 0x30;
inline constexpr std::uint8_t REASON_HARDWARE_ERROR = 0x34;
inline constexpr std::uint8_t REASON_REBUILD_ABORTED = 0x3C;
inline constexpr std::uint8_t REASON_BAD_SPOT = 0x4C;
inline constexpr std::uint8_t REASON_SINGLE_BIT = 0x58;
inline constexpr std::uint8_t REASON_DUMP_INFO = 0x88;
inline constexpr std::uint8_t REASON_CLOCK = 0x8C;

inline std::string detail_code(std::uint8_t reason, std::uint8_t adapter, std::uint8_t b1, std::uint8_t b2,
                               std::uint8_t b3)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", static_cast<unsigned>(reason | adapter), b1, b2, b3);
    return text;
}

} // namespace zan

#endif
