#include "data_layout.h"

#include <algorithm>

#include "raid.h"

namespace sim {

raid_geometry geometry_of(const logical_drive& ld)
{
    raid_geometry g;
    g.members = static_cast<std::uint32_t>(std::max<std::size_t>(data_member_count(ld), 1));
    // A one-drive RAID 0 has no stripe: its blocks lie one to one.
    g.stripe_blocks = std::max<std::uint32_t>(ld.stripe_blocks, 1);
    if (ld.raid_level == 1) g.kind = layout_kind::mirror;
    if (ld.raid_level == 5) g.kind = layout_kind::parity;
    return g;
}

std::uint32_t parity_position(const raid_geometry& g, std::uint64_t member_lba)
{
    const std::uint64_t row = member_lba / g.stripe_blocks;
    return static_cast<std::uint32_t>(g.members - 1 - row % g.members);
}

block_place place_block(const raid_geometry& g, std::uint64_t lba)
{
    const std::uint64_t stripe = lba / g.stripe_blocks;
    const std::uint64_t offset = lba % g.stripe_blocks;
    block_place p;
    switch (g.kind) {
    case layout_kind::stripe:
        p.data = static_cast<std::uint32_t>(stripe % g.members);
        p.member_lba = stripe / g.members * g.stripe_blocks + offset;
        break;
    case layout_kind::mirror: {
        // Two members mirror block for block; more stripe over the pairs.
        const std::uint32_t spans = std::max<std::uint32_t>(g.members / 2, 1);
        p.data = static_cast<std::uint32_t>(stripe % spans) * 2;
        p.copy = mirror_partner(p.data);
        p.member_lba = stripe / spans * g.stripe_blocks + offset;
        break;
    }
    case layout_kind::parity: {
        const std::uint32_t data_per_row = g.members - 1;
        const std::uint64_t row = stripe / data_per_row;
        p.member_lba = row * g.stripe_blocks + offset;
        p.parity = parity_position(g, p.member_lba);
        // Data follows the parity stripe round the row.
        p.data = static_cast<std::uint32_t>((p.parity + 1 + stripe % data_per_row) % g.members);
        break;
    }
    }
    return p;
}

std::uint64_t logical_blocks(const adapter& a, const logical_drive& ld)
{
    return std::uint64_t{logical_size_mb(a, ld)} * BLOCKS_PER_MB;
}

std::uint64_t member_blocks(const adapter& a, const logical_drive& ld)
{
    std::uint64_t smallest = 0;
    bool any = false;
    for (const member& m : ld.members) {
        if (!carries_data(m) || m.hdd >= DRIVE_SLOTS) continue;
        const std::uint64_t size = std::uint64_t{a.drives[m.hdd].size_mb} * BLOCKS_PER_MB;
        smallest = any ? std::min(smallest, size) : size;
        any = true;
    }
    return smallest;
}

} // namespace sim
