#include "event_walk.h"

namespace zan {

bool is_empty_entry(controller_event entry)
{
    constexpr std::uint8_t FILL = 0x11;
    const struct {
        std::size_t first;
        std::size_t last;
    } ranges[] = {{0x00, 0x1A}, {0x1C, 0x1E}, {0x21, 0x27}, {0x40, 0x1FF}};
    for (const auto& r : ranges) {
        for (std::size_t i = r.first; i <= r.last; ++i) {
            if (entry[i] != FILL) return false;
        }
    }
    return true;
}

std::uint32_t walk_event_log(std::int32_t& resume, std::uint32_t status_index, const event_walk_io& io)
{
    const std::uint32_t start = resume != RESUME_AT_STATUS_INDEX ? static_cast<std::uint32_t>(resume) : status_index;
    std::uint32_t index = start;
    std::uint32_t reads = 0;
    event_buffer entry{};
    for (;;) {
        if (!io.read(index, entry)) {
            // The next cycle starts again at the entry whose read failed.
            resume = static_cast<std::int32_t>(index);
            return reads;
        }
        ++reads;
        if (is_empty_entry(entry)) break;
        io.decode(entry);
        index = (index + 1) % EVENT_RING_SLOTS;
        if (index == start) break;
    }
    resume = RESUME_AT_STATUS_INDEX;
    return reads;
}

} // namespace zan
