// The adapter's event-log entry (ControllerEvent, 512 bytes, little-endian)
// as GET_EVENT_LOG hands it out: the fields the service reads, and the test
// for an entry that holds no event.
#ifndef ZAN_SERVICE_CONTROLLER_EVENT_H
#define ZAN_SERVICE_CONTROLLER_EVENT_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace zan {

inline constexpr std::size_t CONTROLLER_EVENT_SIZE = 512;
inline constexpr std::uint32_t EVENT_RING_SLOTS = 4096;

using controller_event = std::span<const std::uint8_t, CONTROLLER_EVENT_SIZE>;

// Fields every entry has.
inline constexpr std::size_t EV_CLASS = 0x14;  // u16
inline constexpr std::size_t EV_CODE = 0x16;   // u16
inline constexpr std::size_t EV_IGNORE = 0x21; // u8: not 0, skip where the decoding table says so

// State-change entries (class 2 and 34, code 2).
inline constexpr std::size_t EV_TYPE = 0x140;      // u16, what changed
inline constexpr std::size_t EV_OBJECT = 0x142;    // u8, the physical or logical drive
inline constexpr std::size_t EV_NEW = 0x144;       // u8
inline constexpr std::size_t EV_OLD = 0x145;       // u8
inline constexpr std::size_t EV_TARGET = 0x146;    // u8, preventive copy: target physical drive
inline constexpr std::size_t EV_SMART_CODE = 0x14D;
inline constexpr std::size_t EV_MEDIUM_COUNT = 0x150;
inline constexpr std::size_t EV_BAD_BLOCK = 0x154;  // u32
inline constexpr std::size_t EV_LOCATION_A = 0x160;
inline constexpr std::size_t EV_LOCATION_B = 0x168;
inline constexpr std::size_t EV_LOCATION_FLAGS = 0x16C; // bit 0: A named, bit 1: B named
inline constexpr std::size_t EV_INQUIRY = 0x1A0;        // 48 bytes
inline constexpr std::size_t EV_LAST_SENSE = 0x1D0;     // 16 bytes

// Entries whose details start at 0x50 (classes 2/39, 7, 32, 33).
inline constexpr std::size_t EV_DETAIL_BYTE = 0x50;  // logical drive (tasks, medium errors); u32 error code (panic)
inline constexpr std::size_t EV_SUB_STATE = 0x51;
inline constexpr std::size_t EV_TASK = 0x52;
inline constexpr std::size_t EV_POSITION = 0x54;     // u32
inline constexpr std::size_t EV_SENSE_DRIVE = 0x58;  // u32, check condition: the drive
inline constexpr std::size_t EV_DETAIL_KIND = 0x5C;  // u8 panic / hardware error; u32 medium error count
inline constexpr std::size_t EV_CHECK_RESULT = 0x60; // u16
inline constexpr std::size_t EV_TASK_DRIVE = 0x62;
inline constexpr std::size_t EV_CAUSE = 0x70;
inline constexpr std::size_t EV_CDB = 0x74;          // 12 bytes
inline constexpr std::size_t EV_SENSE = 0x90;        // 40 bytes
inline constexpr std::size_t EV_SENSE_KEY = 0x92;
inline constexpr std::size_t EV_ASC = 0x9C;
inline constexpr std::size_t EV_ASCQ = 0x9D;
inline constexpr std::size_t EV_DETAIL_AREA = 0x40; // to the end of the entry

// An empty entry holds 0x11 in every byte of 0x00-0x1A, 0x1C-0x1E, 0x21-0x27
// and 0x40-0x1FF; the other bytes are not looked at.
bool is_empty_entry(controller_event entry);

inline std::uint16_t event_u16(controller_event e, std::size_t at)
{
    return static_cast<std::uint16_t>(e[at] | e[at + 1] << 8);
}

inline std::uint32_t event_u32(controller_event e, std::size_t at)
{
    return static_cast<std::uint32_t>(e[at]) | static_cast<std::uint32_t>(e[at + 1]) << 8 |
           static_cast<std::uint32_t>(e[at + 2]) << 16 | static_cast<std::uint32_t>(e[at + 3]) << 24;
}

} // namespace zan

#endif
