// The walk of one adapter's event-log ring in a poll cycle: from the resume
// index (or, when there is none, the RAID status's index of the oldest
// unread entry) up to the first empty entry or once around the ring.
#ifndef ZAN_SERVICE_EVENT_WALK_H
#define ZAN_SERVICE_EVENT_WALK_H

#include <array>
#include <cstdint>
#include <functional>

#include "controller_event.h"

namespace zan {

// The resume index that means: start where the RAID status says.
inline constexpr std::int32_t RESUME_AT_STATUS_INDEX = -1;

using event_buffer = std::array<std::uint8_t, CONTROLLER_EVENT_SIZE>;

struct event_walk_io {
    // Reads ring entry `index` (0-4095); false when the read fails.
    std::function<bool(std::uint32_t index, event_buffer& entry)> read;
    // Called for every entry read that is not empty.
    std::function<void(controller_event entry)> decode;
};

// Walks the ring from `resume` (updated for the next cycle) or `status_index`
// (0-4095). Returns the number of entries read.
std::uint32_t walk_event_log(std::int32_t& resume, std::uint32_t status_index, const event_walk_io& io);

} // namespace zan

#endif
