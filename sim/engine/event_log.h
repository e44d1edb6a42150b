// The firmware's event log: a ring of EVENT_SLOTS entries of EVENT_SIZE bytes
// (the ControllerEvent layout the monitoring service decodes). The entries
// not yet collected are the last event_unread ones written; every other slot
// reads as an empty entry. The firmware writes an entry for every change of
// a drive's or a logical drive's state, every start, end and abort of a
// background task, every inconsistency a check finds, every bad spot found,
// S.M.A.R.T. warnings and states set by request.
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
inline constexpr std::size_t EVENT_SMART_CODE = 0x14D; // u8, S.M.A.R.T. warnings
inline constexpr std::size_t EVENT_BAD_BLOCK = 0x154; // u32, bad spots
inline constexpr std::size_t EVENT_LOCATION_A = 0x160; // u8, single-bit memory errors
inline constexpr std::size_t EVENT_LOCATION_B = 0x168;
inline constexpr std::size_t EVENT_LOCATION_FLAGS = 0x16C; // bit 0: A named, bit 1: B named
inline constexpr std::size_t EVENT_INQUIRY = 0x1A0;   // 48 bytes, the drive's inquiry text
inline constexpr std::size_t EVENT_TARGET = 0x146;    // u8, preventive copy: the target drive

// Entries whose details start at 0x50: background tasks (class 33), medium
// error counts (class 2, code 39), check conditions (7) and faults (32).
inline constexpr std::size_t EVENT_DETAIL = 0x50;       // logical drive, drive; u32 error code
inline constexpr std::size_t EVENT_SUB_STATE = 0x51;
inline constexpr std::size_t EVENT_TASK = 0x52;
inline constexpr std::size_t EVENT_POSITION = 0x54;     // u32
inline constexpr std::size_t EVENT_SENSE_DRIVE = 0x58;  // u32
inline constexpr std::size_t EVENT_DETAIL_KIND = 0x5C;  // u8 fault kind; u32 medium error count
inline constexpr std::size_t EVENT_CHECK_RESULT = 0x60; // u16
inline constexpr std::size_t EVENT_TASK_DRIVE = 0x62;
inline constexpr std::size_t EVENT_CAUSE = 0x70;
inline constexpr std::size_t EVENT_CDB = 0x74;          // 12 bytes
inline constexpr std::size_t EVENT_SENSE = 0x90;        // 40 bytes, fixed-format sense data
inline constexpr std::size_t EVENT_CDB_SIZE = 12;
inline constexpr std::size_t EVENT_SENSE_SIZE = 40;

// The byte every field of an empty entry holds.
inline constexpr std::uint8_t EVENT_EMPTY_FILL = 0x11;

// Classes, codes and state-change types written.
inline constexpr std::uint16_t EVENT_CLASS_STATE = 2;   // a state changed
inline constexpr std::uint16_t EVENT_CLASS_CHECK_CONDITION = 7;
inline constexpr std::uint16_t EVENT_CLASS_FAULT = 32;  // firmware panic, hardware error
inline constexpr std::uint16_t EVENT_CLASS_TASK = 33;   // background task
inline constexpr std::uint16_t EVENT_CLASS_FORCED = 34; // a state was set by request
inline constexpr std::uint16_t EVENT_CLASS_COPY = 41;   // preventive copy
inline constexpr std::uint16_t EVENT_CODE_STATE = 2;
inline constexpr std::uint16_t EVENT_CODE_MEDIUM = 39;
inline constexpr std::uint16_t EVENT_CODE_CHECK_CONDITION = 0xB0;
inline constexpr std::uint16_t EVENT_CODE_FAULT = 3;
inline constexpr std::uint16_t EVENT_CODE_TASK = 4;
inline constexpr std::uint16_t EVENT_CODE_COPY = 1;
inline constexpr std::uint16_t EVENT_TYPE_DRIVE = 1;
inline constexpr std::uint16_t EVENT_TYPE_BAD_SPOT = 24;
inline constexpr std::uint16_t EVENT_TYPE_FORCED_LOGICAL = 0x20;
inline constexpr std::uint16_t EVENT_TYPE_SINGLE_BIT = 71;
inline constexpr std::uint16_t EVENT_TYPE_LOGICAL = 72;
inline constexpr std::uint16_t EVENT_TYPE_SMART = 73;

// Fault kinds (class 32, byte 0x5C): a hardware error.
inline constexpr std::uint8_t FAULT_HARDWARE_ERROR = 0x40;

// Background tasks (class 33): the task byte, its positions and causes.
inline constexpr std::uint8_t TASK_REBUILD = 0x00;
inline constexpr std::uint8_t TASK_CHECK = 0x01;
inline constexpr std::uint8_t TASK_PARITY = 0x02;
inline constexpr std::uint8_t TASK_ABORTED = 0xF0; // OR the task
inline constexpr std::uint32_t TASK_STARTED = 0;
inline constexpr std::uint32_t TASK_ENDED = 0xFFFFFFFF;
// The check result of an entry that reports an inconsistency.
inline constexpr std::uint16_t CHECK_INCONSISTENT = 0x51;
// Why a rebuild was aborted: a member failed, or went missing.
inline constexpr std::uint8_t CAUSE_MEMBER_FAILED = 0x02;
inline constexpr std::uint8_t CAUSE_MEMBER_MISSING = 0x03;

// Preventive copy states (class 41: the logical drive's copy state).
inline constexpr std::uint8_t COPY_NONE = 0x00;
inline constexpr std::uint8_t COPY_RUNNING = 0x05;
inline constexpr std::uint8_t COPY_DONE = 0x15;

using event_entry = std::array<std::uint8_t, EVENT_SIZE>;

// A zeroed entry with its class and code set.
event_entry make_event(std::uint16_t event_class, std::uint16_t code);

// Writes `entry` into the next slot (numbering it) and counts it unread.
void append_event(adapter& a, event_entry entry);

// Moves the ring on by `count` entries that are written over before anyone
// can read them: numbered and counted as if written, their slots untouched.
void pass_over_events(adapter& a, std::uint32_t count);

// A background task's entry (class 33, code 4).
struct task_event {
    std::uint8_t logical = 0;
    std::uint8_t task = TASK_REBUILD;
    std::uint32_t position = TASK_STARTED;
    std::uint8_t sub_state = 0;
    std::uint16_t check_result = 0;
    std::uint8_t drive = 0;
    std::uint8_t cause = 0;
};
void log_task(adapter& a, const task_event& t);

// A bad spot at `lba` just added to the list of drive `hdd`: the entry
// carries the drive's bad-spot state before and after it.
void log_bad_spot(adapter& a, std::uint32_t hdd, std::uint32_t lba);

// A S.M.A.R.T. warning of drive `hdd` with the drive's code.
void log_smart_warning(adapter& a, std::uint32_t hdd, std::uint8_t code);

// A state set by request: of a drive (class 34, type 1), or a logical drive
// set optimal because its members were (type 0x20).
void log_forced_drive(adapter& a, std::uint32_t hdd, std::uint8_t new_state, std::uint8_t old_state);
void log_forced_logical(adapter& a, std::uint32_t logical, std::uint8_t new_state, std::uint8_t old_state);

// The slot the monitoring service reads next: the oldest unread entry.
std::uint32_t event_read_position(const adapter& a);

// Whether `slot` holds an entry not yet collected.
bool slot_unread(const adapter& a, std::uint32_t slot);

// GET_EVENT_LOG: the entry at the byte offset in record bytes 4-7 (a slot
// times EVENT_SIZE) into record bytes 12 on. An unread entry handed out is
// collected with those before it: the read position moves past it and their
// slots read empty from then on. Only the unread count changes.
std::uint16_t get_event_log(adapter& a, std::span<std::uint8_t> record);

// Copies `out.size()` bytes of the log's raw image from byte `offset`; slots
// whose entries were collected read empty.
void read_event_log(const adapter& a, std::size_t offset, std::span<std::uint8_t> out);

// Where the ring stood: the entries written after it are those with a
// higher number.
struct event_mark {
    std::uint32_t sequence;
    std::uint32_t next;
    std::uint32_t unread;
};
event_mark mark_events(const adapter& a);

// The states a change is judged by: each drive's (0xFF when absent) and each
// logical drive's (0xFF when not defined), and the ring's position.
struct state_snapshot {
    std::array<std::uint8_t, DRIVE_SLOTS> drives;
    std::array<std::uint8_t, LOGICAL_SLOTS> logicals;
    event_mark events;
};
state_snapshot take_snapshot(const adapter& a);

// Writes one state-change entry for every drive and every defined logical
// drive whose state differs from `before`. Entries written since `before.events`
// (the tasks the change started or aborted) move behind them, so that each
// follows the change that caused it.
void log_state_changes(adapter& a, const state_snapshot& before);

} // namespace sim

#endif
