// The firmware's event log: a ring of EVENT_SLOTS entries of EVENT_SIZE bytes
// (the ControllerEvent layout the monitoring service decodes). Slots never
// written read as empty entries; every change of a drive's or a logical
// drive's state is written as an entry.
#ifndef SIM_ENGINE_EVENT_LOG_H
#define SIM_ENGINE_EVENT_LOG_H

#include <array>
#include <cstdint>
#include <span>

#include "model.h"

namespace sim {

// Fields of an entry.
inline constexpr std::size_t EVENT_SEQUENCE = 0x00;   // u32, number of the entry
inline constexpr std::size_t EVENT_CLASS = 0x14;      // u16
inline constexpr std::size_t EVENT_CODE = 0x16;       // u16
inline constexpr std::size_t EVENT_IGNORE = 0x21;     // u8, 0: report it
inline constexpr std::size_t EVENT_TYPE = 0x140;      // u16, kind of state change
inline constexpr std::size_t EVENT_OBJECT = 0x142;    // u8, physical or logical drive
inline constexpr std::size_t EVENT_NEW_STATE = 0x144; // u8
inline constexpr std::size_t EVENT_OLD_STATE = 0x145; // u8
inline constexpr std::size_t EVENT_INQUIRY = 0x1A0;   // 48 bytes, the drive's inquiry text

// The byte every field of an empty entry holds.
inline constexpr std::uint8_t EVENT_EMPTY_FILL = 0x11;

// Classes, codes and state-change types written.
inline constexpr std::uint16_t EVENT_CLASS_STATE = 2;   // a state changed
inline constexpr std::uint16_t EVENT_CLASS_FORCED = 34; // a state was set by request
inline constexpr std::uint16_t EVENT_CODE_STATE = 2;
inline constexpr std::uint16_t EVENT_TYPE_DRIVE = 1;
inline constexpr std::uint16_t EVENT_TYPE_LOGICAL = 72;

using event_entry = std::array<std::uint8_t, EVENT_SIZE>;

// A zeroed entry with its class and code set.
event_entry make_event(std::uint16_t event_class, std::uint16_t code);

// Writes `entry` into the next slot (numbering it) and counts it unread.
void append_event(adapter& a, event_entry entry);

// The slot the monitoring service reads next: the oldest unread entry.
std::uint32_t event_read_position(const adapter& a);

// GET_EVENT_LOG: the entry at the byte offset in record bytes 4-7 (a slot
// times EVENT_SIZE) into record bytes 12 on. An entry handed out is collected:
// its slot reads empty from then on and, if it was unread, the read position
// moves past it.
std::uint16_t get_event_log(adapter& a, std::span<std::uint8_t> record);

// Copies `out.size()` bytes of the log's raw image from byte `offset`.
void read_event_log(const adapter& a, std::size_t offset, std::span<std::uint8_t> out);

// The states a change is judged by: each drive's (0xFF when absent) and each
// logical drive's (0xFF when not defined).
struct state_snapshot {
    std::array<std::uint8_t, DRIVE_SLOTS> drives;
    std::array<std::uint8_t, LOGICAL_SLOTS> logicals;
};
state_snapshot take_snapshot(const adapter& a);

// Writes one state-change entry for every drive and every defined logical
// drive whose state differs from `before`.
void log_state_changes(adapter& a, const state_snapshot& before);

} // namespace sim

#endif
