#include "event_log.h"

#include <algorithm>
#include <cstring>

#include "answers.h"
#include "raid.h"
#include "records.h"
#include "store.h"
#include "zanbytes.h"
#include "zanioctl.h"

namespace sim {

namespace {

event_entry state_event(std::uint16_t type, std::size_t object, std::uint8_t new_state, std::uint8_t old_state)
{
    event_entry e = make_event(EVENT_CLASS_STATE, EVENT_CODE_STATE);
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

std::uint32_t event_read_position(const adapter& a)
{
    return (a.event_next + EVENT_SLOTS - a.event_unread) % EVENT_SLOTS;
}

std::uint16_t get_event_log(adapter& a, std::span<std::uint8_t> record)
{
    constexpr std::size_t OFFSET_AT = 4;
    constexpr std::size_t ENTRY_AT = 12;
    if (!addressed_here(a, record) || record.size() < ENTRY_AT + EVENT_SIZE) return zan::IOC_STATUS_INVALID_PARAM;
    const std::uint32_t offset = zan::load_le32(record.data() + OFFSET_AT);
    if (offset % EVENT_SIZE != 0 || offset / EVENT_SIZE >= EVENT_SLOTS) return zan::IOC_STATUS_INVALID_PARAM;
    const std::uint32_t slot = offset / EVENT_SIZE;
    const std::span<std::uint8_t> entry = record.subspan(ENTRY_AT, EVENT_SIZE);
    read_event_log(a, offset, entry);
    if (std::all_of(entry.begin(), entry.end(), [](std::uint8_t b) { return b == EVENT_EMPTY_FILL; })) {
        return zan::IOC_STATUS_GOOD;
    }
    // Slots from the read position up to this one count as read.
    const std::uint32_t behind = (slot + EVENT_SLOTS - event_read_position(a)) % EVENT_SLOTS;
    if (behind < a.event_unread) a.event_unread -= behind + 1;
    a.events[slot].assign(EVENT_SIZE, EVENT_EMPTY_FILL);
    return zan::IOC_STATUS_GOOD;
}

void read_event_log(const adapter& a, std::size_t offset, std::span<std::uint8_t> out)
{
    // The saved slots, then the entries written since over them.
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
}

state_snapshot take_snapshot(const adapter& a)
{
    const zan::RaidStatus status = build_raid_status(a);
    state_snapshot s;
    std::copy(std::begin(status.hdd_state), std::end(status.hdd_state), s.drives.begin());
    std::copy(std::begin(status.ld_state), std::end(status.ld_state), s.logicals.begin());
    return s;
}

void log_state_changes(adapter& a, const state_snapshot& before)
{
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
}

} // namespace sim
