#include "event_log.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "answers.h"
#include "raid.h"
#include "records.h"
#include "store.h"
#include "zanbytes.h"
#include "zanioctl.h"

namespace sim {

namespace {

event_entry state_event(std::uint16_t type, std::size_t object, std::uint8_t new_state, std::uint8_t old_state,
                        std::uint16_t event_class = EVENT_CLASS_STATE)
{
    event_entry e = make_event(event_class, EVENT_CODE_STATE);
    zan::store_le16(e.data() + EVENT_TYPE, type);
    e[EVENT_OBJECT] = static_cast<std::uint8_t>(object);
    e[EVENT_NEW_STATE] = new_state;
    e[EVENT_OLD_STATE] = old_state;
    return e;
}

} // namespace

event_entry make_event(std::uint16_t event_class, std::uint16_t code)
{
    event_entry e{};
    zan::store_le16(e.data() + EVENT_CLASS, event_class);
    zan::store_le16(e.data() + EVENT_CODE, code);
    return e;
}

void append_event(adapter& a, event_entry entry)
{
    ++a.event_sequence;
    zan::store_le32(entry.data() + EVENT_SEQUENCE, a.event_sequence);
    a.events[a.event_next].assign(entry.begin(), entry.end());
    a.event_next = (a.event_next + 1) % EVENT_SLOTS;
    // A full ring overwrites its oldest entry, which is then lost unread.
    a.event_unread = std::min(a.event_unread + 1, EVENT_SLOTS);
}

void pass_over_events(adapter& a, std::uint32_t count)
{
    a.event_sequence += count;
    a.event_next = static_cast<std::uint32_t>((a.event_next + std::uint64_t{count}) % EVENT_SLOTS);
    a.event_unread = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{a.event_unread} + count,
                                                                        EVENT_SLOTS));
}

void log_task(adapter& a, const task_event& t)
{
    event_entry e = make_event(EVENT_CLASS_TASK, EVENT_CODE_TASK);
    e[EVENT_DETAIL] = t.logical;
    e[EVENT_SUB_STATE] = t.sub_state;
    e[EVENT_TASK] = t.task;
    zan::store_le32(e.data() + EVENT_POSITION, t.position);
    zan::store_le16(e.data() + EVENT_CHECK_RESULT, t.check_result);
    e[EVENT_TASK_DRIVE] = t.drive;
    e[EVENT_CAUSE] = t.cause;
    append_event(a, e);
}

void log_bad_spot(adapter& a, std::uint32_t hdd, std::uint32_t lba)
{
    const std::uint8_t now = build_drive_info(a, static_cast<int>(hdd)).bad_spot_state;
    a.drives[hdd].bad_spots.pop_back();
    const std::uint8_t before = build_drive_info(a, static_cast<int>(hdd)).bad_spot_state;
    a.drives[hdd].bad_spots.push_back(lba);
    event_entry e = state_event(EVENT_TYPE_BAD_SPOT, hdd, now, before);
    zan::store_le32(e.data() + EVENT_BAD_BLOCK, lba);
    append_event(a, e);
}

void log_smart_warning(adapter& a, std::uint32_t hdd, std::uint8_t code)
{
    const auto state = static_cast<std::uint8_t>(a.drives[hdd].state);
    event_entry e = state_event(EVENT_TYPE_SMART, hdd, state, state);
    e[EVENT_SMART_CODE] = code;
    append_event(a, e);
}

void log_forced_drive(adapter& a, std::uint32_t hdd, std::uint8_t new_state, std::uint8_t old_state)
{
    append_event(a, state_event(EVENT_TYPE_DRIVE, hdd, new_state, old_state, EVENT_CLASS_FORCED));
}

void log_forced_logical(adapter& a, std::uint32_t logical, std::uint8_t new_state, std::uint8_t old_state)
{
    append_event(a, state_event(EVENT_TYPE_FORCED_LOGICAL, logical, new_state, old_state, EVENT_CLASS_FORCED));
}

std::uint32_t event_read_position(const adapter& a)
{
    return (a.event_next + EVENT_SLOTS - a.event_unread) % EVENT_SLOTS;
}

bool slot_unread(const adapter& a, std::uint32_t slot)
{
    return (slot + EVENT_SLOTS - event_read_position(a)) % EVENT_SLOTS < a.event_unread;
}

std::uint16_t get_event_log(adapter& a, std::span<std::uint8_t> record)
{
    constexpr std::size_t OFFSET_AT = 4;
    constexpr std::size_t ENTRY_AT = 12;
    if (!addressed_here(a, record) || record.size() < ENTRY_AT + EVENT_SIZE) return zan::IOC_STATUS_INVALID_PARAM;
    const std::uint32_t offset = zan::load_le32(record.data() + OFFSET_AT);
    if (offset % EVENT_SIZE != 0 || offset / EVENT_SIZE >= EVENT_SLOTS) return zan::IOC_STATUS_INVALID_PARAM;
    const std::uint32_t slot = offset / EVENT_SIZE;
    read_event_log(a, offset, record.subspan(ENTRY_AT, EVENT_SIZE));
    // Collecting moves the read position past the entry: one change of the
    // unread count, nothing written into the ring.
    if (slot_unread(a, slot)) a.event_unread -= (slot + EVENT_SLOTS - event_read_position(a)) % EVENT_SLOTS + 1;
    return zan::IOC_STATUS_GOOD;
}

void read_event_log(const adapter& a, std::size_t offset, std::span<std::uint8_t> out)
{
    // The saved slots, then the entries written since over them; collected
    // and never written slots read empty.
    const std::size_t ring_size = static_cast<std::size_t>(EVENT_SLOTS) * EVENT_SIZE;
    const std::size_t in_ring = offset < ring_size ? std::min(out.size(), ring_size - offset) : 0;
    read_event_ring(a.event_file, offset, out.first(in_ring));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(in_ring), out.end(), EVENT_EMPTY_FILL);
    const auto first = a.events.lower_bound(static_cast<std::uint32_t>(offset / EVENT_SIZE));
    for (auto entry = first; entry != a.events.end(); ++entry) {
        const std::size_t start = static_cast<std::size_t>(entry->first) * EVENT_SIZE;
        if (start >= offset + in_ring) break;
        const std::size_t from = std::max(start, offset);
        const std::size_t to = std::min(start + EVENT_SIZE, offset + in_ring);
        std::memcpy(out.data() + (from - offset), entry->second.data() + (from - start), to - from);
    }
    for (std::size_t at = offset - offset % EVENT_SIZE; at < offset + in_ring; at += EVENT_SIZE) {
        if (slot_unread(a, static_cast<std::uint32_t>(at / EVENT_SIZE))) continue;
        const std::size_t from = std::max(at, offset);
        const std::size_t to = std::min(at + EVENT_SIZE, offset + in_ring);
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(from - offset),
                  out.begin() + static_cast<std::ptrdiff_t>(to - offset), EVENT_EMPTY_FILL);
    }
}

event_mark mark_events(const adapter& a)
{
    return {a.event_sequence, a.event_next, a.event_unread};
}

state_snapshot take_snapshot(const adapter& a)
{
    const zan::RaidStatus status = build_raid_status(a);
    state_snapshot s;
    std::copy(std::begin(status.hdd_state), std::end(status.hdd_state), s.drives.begin());
    std::copy(std::begin(status.ld_state), std::end(status.ld_state), s.logicals.begin());
    s.events = mark_events(a);
    return s;
}

void log_state_changes(adapter& a, const state_snapshot& before)
{
    // The entries written since the snapshot are taken back, to be written
    // again after the state changes. All of them are still in a.events
    // unless more than a ring's worth was written; those stay where they are.
    std::vector<event_entry> caused;
    const std::uint32_t since = a.event_sequence - before.events.sequence;
    if (since > 0 && since < EVENT_SLOTS) {
        for (std::uint32_t i = 0; i < since; ++i) {
            const std::vector<std::uint8_t>& written = a.events.at((before.events.next + i) % EVENT_SLOTS);
            std::copy(written.begin(), written.end(), caused.emplace_back().begin());
        }
        a.event_sequence = before.events.sequence;
        a.event_next = before.events.next;
        a.event_unread = before.events.unread;
    }
    const state_snapshot after = take_snapshot(a);
    for (std::size_t d = 0; d < DRIVE_SLOTS; ++d) {
        if (after.drives[d] == before.drives[d]) continue;
        event_entry e = state_event(EVENT_TYPE_DRIVE, d, after.drives[d], before.drives[d]);
        if (a.drives[d].present) {
            const std::string inquiry = inquiry_text(a.drives[d]);
            std::memcpy(e.data() + EVENT_INQUIRY, inquiry.data(), inquiry.size());
        }
        append_event(a, e);
    }
    // Logical drives that come or go are configuration changes, not state
    // changes of a logical drive.
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        if (after.logicals[n] == before.logicals[n] || after.logicals[n] == NONE || before.logicals[n] == NONE) {
            continue;
        }
        append_event(a, state_event(EVENT_TYPE_LOGICAL, n, after.logicals[n], before.logicals[n]));
    }
    for (const event_entry& e : caused) append_event(a, e);
}

} // namespace sim
