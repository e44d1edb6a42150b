#include "badspot.h"

namespace zan {
namespace {

constexpr std::size_t ENTRIES_AT = 24;
constexpr std::size_t ENTRY_SIZE = 16;
constexpr std::size_t ENTRY_LBA = 4;

constexpr std::uint8_t STATE_NONE = 0;
constexpr std::uint8_t STATE_EXIST = 6;
constexpr std::uint8_t STATE_OVER = 0x16;

constexpr std::uint32_t load_be32(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

// The raw state byte is signed: 0 none, 1 or 2 some, anything else too many.
std::uint8_t converted_state(std::uint8_t raw)
{
    const auto value = static_cast<std::int8_t>(raw);
    if (value == 0) return STATE_NONE;
    if (value == 1 || value == 2) return STATE_EXIST;
    return STATE_OVER;
}

} // namespace

BadspotInfo convert_badspot(std::span<const std::uint8_t, RAW_BADSPOT_SIZE> raw)
{
    BadspotInfo info{};
    int packed = 0;
    for (int entry = 0; entry < BAD_SPOT_LIST_SIZE; ++entry) {
        const std::uint8_t* at = raw.data() + ENTRIES_AT + entry * ENTRY_SIZE;
        if (at[0] != 0) info.lba[packed++].set(load_be32(at + ENTRY_LBA));
    }
    info.count.set(load_be32(raw.data() + 4));
    info.raw0 = raw[0];
    info.raw2 = raw[2];
    info.raw3 = raw[3];
    for (int i = 0; i < 4; ++i) {
        info.raw8[i] = raw[8 + i];
        info.raw12[i] = raw[12 + i];
    }
    info.state = converted_state(raw[1]);
    return info;
}

} // namespace zan
