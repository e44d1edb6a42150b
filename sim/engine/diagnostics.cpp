#include "diagnostics.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "big_endian.h"
#include "zanbytes.h"

namespace sim {

namespace {

// ---- NVRAM -----------------------------------------------------------------

constexpr char NVRAM_SIGNATURE[8] = {'Z', 'A', 'N', 'N', 'V', 'R', 'A', 'M'};
constexpr std::uint16_t NVRAM_LAYOUT = 1;
constexpr std::size_t NVRAM_LOGICALS = 0x100; // 12 records of 64 bytes
constexpr std::size_t NVRAM_LOGICAL_SIZE = 64;
constexpr std::size_t NVRAM_DRIVES = 0x400;   // 12 records of 32 bytes
constexpr std::size_t NVRAM_DRIVE_SIZE = 32;

void put_logical(std::uint8_t* r, const logical_drive& ld)
{
    r[0] = 1;
    r[1] = static_cast<std::uint8_t>(ld.raid_level);
    r[2] = static_cast<std::uint8_t>(ld.members.size());
    for (std::size_t i = 0; i < ld.members.size(); ++i) {
        r[4 + 2 * i] = static_cast<std::uint8_t>(ld.members[i].hdd);
        r[5 + 2 * i] = ld.members[i].role;
    }
    zan::store_le32(r + 28, ld.stripe_blocks);
    r[32] = static_cast<std::uint8_t>(ld.hot_spare_mode);
    r[33] = static_cast<std::uint8_t>(ld.read_cache);
    r[34] = static_cast<std::uint8_t>(ld.write_cache);
    r[35] = static_cast<std::uint8_t>(ld.auto_rebuild);
    r[36] = static_cast<std::uint8_t>(ld.forced);
    r[37] = static_cast<std::uint8_t>(ld.sub_groups);
}

void put_drive(std::uint8_t* r, const physical_drive& d)
{
    r[0] = 1;
    r[1] = static_cast<std::uint8_t>(d.state);
    r[2] = static_cast<std::uint8_t>(d.global_spare);
    r[3] = static_cast<std::uint8_t>(d.led);
    zan::store_le32(r + 4, d.size_mb);
    std::memcpy(r + 8, d.vendor.data(), std::min<std::size_t>(d.vendor.size(), 8));
    std::memcpy(r + 16, d.product.data(), std::min<std::size_t>(d.product.size(), 16));
}

// ---- SMART -----------------------------------------------------------------

constexpr std::uint16_t SMART_REVISION = 0x0010;
constexpr std::size_t SMART_ENTRIES = 2;
constexpr std::size_t SMART_ENTRY_SIZE = 12;

// The attributes a drive reports, with their thresholds.
struct smart_attribute {
    std::uint8_t id;
    std::uint16_t flags;
    std::uint8_t threshold;
};

constexpr std::uint8_t ATTR_READ_ERRORS = 1;
constexpr std::uint8_t ATTR_REALLOCATED = 5;
constexpr std::uint8_t ATTR_POWER_ON_HOURS = 9;
constexpr std::uint8_t ATTR_TEMPERATURE = 194;

constexpr smart_attribute ATTRIBUTES[] = {
    {ATTR_READ_ERRORS, 0x000F, 16},
    {ATTR_REALLOCATED, 0x0033, 36},
    {ATTR_POWER_ON_HOURS, 0x0032, 0},
    {ATTR_TEMPERATURE, 0x0022, 0},
};

// A value that has crossed its threshold: what a drive that sent a SMART
// report shows for its reallocated sectors.
constexpr std::uint8_t VALUE_FAILING = 30;
constexpr std::uint8_t VALUE_NORMAL = 100;

void seal(smart_block& block)
{
    const unsigned sum = std::accumulate(block.begin(), block.end() - 1, 0u);
    block.back() = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

std::uint64_t raw_value(const physical_drive& d, std::uint32_t hdd, std::uint8_t id)
{
    switch (id) {
    case ATTR_READ_ERRORS: return d.medium_errors == MEDIUM_ERRORS_NOT_AVAILABLE ? 0 : d.medium_errors;
    case ATTR_REALLOCATED: return d.bad_spots.size();
    case ATTR_POWER_ON_HOURS: return 8760 + 24 * hdd; // about a year in service
    case ATTR_TEMPERATURE: return 35 + hdd % 5;
    default: return 0;
    }
}

} // namespace

nvram_image build_nvram(const adapter& a)
{
    nvram_image image{};
    std::memcpy(image.data(), NVRAM_SIGNATURE, sizeof NVRAM_SIGNATURE);
    zan::store_le16(image.data() + 8, NVRAM_LAYOUT);
    image[10] = static_cast<std::uint8_t>(a.controller_id);
    zan::store_le32(image.data() + 12, a.event_sequence);
    zan::store_le32(image.data() + 16, a.event_next);
    image[20] = static_cast<std::uint8_t>(a.rebuild_priority_idle);
    image[21] = static_cast<std::uint8_t>(a.rebuild_priority_busy);
    image[22] = static_cast<std::uint8_t>(a.patrol_delay);
    image[23] = static_cast<std::uint8_t>(a.buzzer);
    zan::store_le16(image.data() + 24, static_cast<std::uint16_t>(a.prevent_limit));
    zan::store_le16(image.data() + 26, static_cast<std::uint16_t>(a.prevent_limit_one_month));
    zan::store_le16(image.data() + 28, static_cast<std::uint16_t>(a.prevent_limit_half_year));
    zan::store_le16(image.data() + 30, static_cast<std::uint16_t>(a.prevent_limit_one_year));
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        if (a.logicals[n].defined) put_logical(image.data() + NVRAM_LOGICALS + n * NVRAM_LOGICAL_SIZE, a.logicals[n]);
    }
    for (std::size_t d = 0; d < DRIVE_SLOTS; ++d) {
        if (a.drives[d].present) put_drive(image.data() + NVRAM_DRIVES + d * NVRAM_DRIVE_SIZE, a.drives[d]);
    }
    return image;
}

smart_block build_smart_data(const adapter& a, std::uint32_t hdd)
{
    const physical_drive& d = a.drives[hdd];
    smart_block block{};
    zan::store_le16(block.data(), SMART_REVISION);
    std::uint8_t* entry = block.data() + SMART_ENTRIES;
    for (const smart_attribute& attr : ATTRIBUTES) {
        const bool failing = attr.id == ATTR_REALLOCATED && smart_status(a, hdd) == SMART_STATUS_EXCEEDED;
        entry[0] = attr.id;
        zan::store_le16(entry + 1, attr.flags);
        entry[3] = failing ? VALUE_FAILING : VALUE_NORMAL;
        entry[4] = entry[3];
        const std::uint64_t raw = raw_value(d, hdd, attr.id);
        for (int i = 0; i < 6; ++i) entry[5 + i] = static_cast<std::uint8_t>(raw >> (8 * i));
        entry += SMART_ENTRY_SIZE;
    }
    seal(block);
    return block;
}

smart_block build_smart_thresholds()
{
    smart_block block{};
    zan::store_le16(block.data(), SMART_REVISION);
    std::uint8_t* entry = block.data() + SMART_ENTRIES;
    for (const smart_attribute& attr : ATTRIBUTES) {
        entry[0] = attr.id;
        entry[1] = attr.threshold;
        entry += SMART_ENTRY_SIZE;
    }
    seal(block);
    return block;
}

std::uint8_t smart_status(const adapter& a, std::uint32_t hdd)
{
    constexpr std::uint32_t SMART_RECEIVED = 4;
    return a.drives[hdd].smart == SMART_RECEIVED ? SMART_STATUS_EXCEEDED : SMART_STATUS_GOOD;
}

bad_spot_block build_bad_spot_block(const adapter& a, std::uint32_t hdd)
{
    constexpr std::size_t STATE = 1;
    constexpr std::size_t COUNT = 4;
    constexpr std::size_t ENTRIES = 24;
    constexpr std::size_t ENTRY_SIZE = 16;
    constexpr std::size_t ENTRY_LBA = 4;
    constexpr std::uint8_t STATE_LISTED = 1;
    constexpr std::uint8_t STATE_OVER = 3;
    bad_spot_block block{};
    const physical_drive& d = a.drives[hdd];
    if (!d.present || d.bad_spots.empty()) return block;
    block[STATE] = d.bad_spots.size() <= BAD_SPOT_LIST_SIZE ? STATE_LISTED : STATE_OVER;
    store_be(block.data() + COUNT, 4, static_cast<std::uint32_t>(d.bad_spots.size()));
    for (std::size_t i = 0; i < std::min(d.bad_spots.size(), BAD_SPOT_LIST_SIZE); ++i) {
        std::uint8_t* entry = block.data() + ENTRIES + i * ENTRY_SIZE;
        entry[0] = 1;
        store_be(entry + ENTRY_LBA, 4, d.bad_spots[i]);
    }
    return block;
}

} // namespace sim
