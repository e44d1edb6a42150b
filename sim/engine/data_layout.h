// Where the blocks of a logical drive lie on its members: RAID 0 stripes
// over all members, RAID 1 mirrors two, RAID 10 stripes over spans of
// mirrored pairs, RAID 5 stripes data with a parity stripe that rotates from
// the last member to the first, one row after another. Positions count the
// data-carrying members in list order, as member_position() does.
#ifndef SIM_ENGINE_DATA_LAYOUT_H
#define SIM_ENGINE_DATA_LAYOUT_H

#include <cstdint>

#include "model.h"

namespace sim {

inline constexpr std::uint32_t BLOCK_BYTES = 512;
inline constexpr std::uint64_t BLOCKS_PER_MB = 1024 * 1024 / BLOCK_BYTES;
inline constexpr std::uint32_t NO_POSITION = 0xFFFFFFFF;

enum class layout_kind { stripe, mirror, parity };

struct raid_geometry {
    layout_kind kind = layout_kind::stripe;
    std::uint32_t members = 1;         // data-carrying members
    std::uint32_t stripe_blocks = 1;   // blocks of one stripe on one member
};

raid_geometry geometry_of(const logical_drive& ld);

// One block of the logical drive: the member block it lies at, the position
// holding it, its mirror copy (RAID 1, RAID 10) and the parity position of
// its row (RAID 5); NO_POSITION where the level has none.
struct block_place {
    std::uint64_t member_lba = 0;
    std::uint32_t data = 0;
    std::uint32_t copy = NO_POSITION;
    std::uint32_t parity = NO_POSITION;
};

block_place place_block(const raid_geometry& g, std::uint64_t lba);

// The parity position of the row that member block `member_lba` belongs to.
std::uint32_t parity_position(const raid_geometry& g, std::uint64_t member_lba);

// The mirror partner of a position (RAID 1 and RAID 10 pair 0-1, 2-3, ...).
inline std::uint32_t mirror_partner(std::uint32_t position)
{
    return position ^ 1U;
}

// Blocks the logical drive offers, and blocks it uses on each member.
std::uint64_t logical_blocks(const adapter& a, const logical_drive& ld);
std::uint64_t member_blocks(const adapter& a, const logical_drive& ld);

} // namespace sim

#endif
