#include "drive_mode.h"

#include <algorithm>

#include "big_endian.h"
#include "data_layout.h"
#include "dispatch.h"

namespace sim {

namespace {

using page_bytes = std::vector<std::uint8_t>;

// A page the drive keeps: its default (code, length, parameters) and the
// bits of each parameter byte MODE SELECT may change (bytes 0 and 1 of the
// mask are the code and length again).
struct kept_page {
    page_bytes defaults;
    page_bytes changeable;
};

// Read-write error recovery (retries, recovery time), caching (write cache
// off, as a RAID member runs), control, informational exceptions (report on
// request) and the maker's page 0x22 of drive tuning values, whose every
// byte but 19 and 21 is the engineer's to set.
const kept_page PAGES[] = {
    {{0x01, 0x0A, 0xC0, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x0B, 0xB8},
     {0x01, 0x0A, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF}},
    {{0x08, 0x12, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x20, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00},
     {0x08, 0x12, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00}},
    {{0x0A, 0x0A, 0x02, 0x10, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0x84},
     {0x0A, 0x0A, 0x02, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {{0x1C, 0x0A, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01},
     {0x1C, 0x0A, 0x8D, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    {{0x22, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {0x22, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
};

constexpr std::uint8_t PAGE_CODE_MASK = 0x3F;
constexpr std::uint8_t SUBPAGE_FORMAT = 0x40;
constexpr std::uint8_t PAGE_SAVEABLE = 0x80;
constexpr std::uint8_t ALL_PAGES = 0x3F;
constexpr std::uint8_t ALL_SUBPAGES = 0xFF;
constexpr std::uint8_t DISABLE_BLOCK_DESCRIPTORS = 0x08;
constexpr std::uint8_t DEVICE_DPOFUA = 0x10;

constexpr std::size_t MODE_HEADER = 4;
constexpr std::size_t BLOCK_DESCRIPTOR = 8;
constexpr std::uint32_t WHOLE_DRIVE = 0xFFFFFFFF;

// Page control of MODE SENSE.
constexpr std::uint8_t PC_CHANGEABLE = 1;
constexpr std::uint8_t PC_DEFAULT = 2;

const kept_page* find_page(std::uint8_t code)
{
    const auto at = std::find_if(std::begin(PAGES), std::end(PAGES),
                                 [code](const kept_page& p) { return p.defaults[0] == code; });
    return at == std::end(PAGES) ? nullptr : &*at;
}

// The page as the drive holds it now: the changed copy, else the default.
page_bytes current_page(const physical_drive& d, const kept_page& kept)
{
    for (const page_bytes& page : d.mode_pages) {
        if (page[0] == kept.defaults[0]) return page;
    }
    return kept.defaults;
}

// The page as page control asks: current (saved alike: the drive keeps its
// values through every reset it sees), changeable bits or default.
page_bytes sensed_page(const physical_drive& d, const kept_page& kept, std::uint8_t control)
{
    page_bytes page = control == PC_CHANGEABLE ? kept.changeable
                      : control == PC_DEFAULT  ? kept.defaults
                                               : current_page(d, kept);
    page[0] |= PAGE_SAVEABLE;
    return page;
}

std::uint32_t capped(std::uint64_t blocks)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, WHOLE_DRIVE));
}

} // namespace

std::uint64_t drive_full_blocks(const physical_drive& d)
{
    return std::uint64_t{d.full_mb != 0 ? d.full_mb : d.size_mb} * BLOCKS_PER_MB;
}

std::uint64_t drive_blocks(const physical_drive& d)
{
    if (d.blocks == 0) return std::uint64_t{d.size_mb} * BLOCKS_PER_MB;
    return std::min<std::uint64_t>(d.blocks, drive_full_blocks(d));
}

bool set_drive_capacity(physical_drive& d, std::uint32_t blocks)
{
    const std::uint64_t full = drive_full_blocks(d);
    if (blocks == 0) return true;
    if (blocks != WHOLE_DRIVE && blocks > full) return false;
    if (blocks == WHOLE_DRIVE || blocks == full) {
        d.size_mb = static_cast<std::uint32_t>(full / BLOCKS_PER_MB);
        d.full_mb = 0;
        d.blocks = 0;
        return true;
    }
    if (d.full_mb == 0) d.full_mb = d.size_mb;
    d.blocks = blocks;
    d.size_mb = static_cast<std::uint32_t>(blocks / BLOCKS_PER_MB);
    return true;
}

std::string check_drive_mode_page(std::span<const std::uint8_t> page)
{
    if (page.size() < 2) return "a mode page holds at least its code and length";
    if ((page[0] & SUBPAGE_FORMAT) != 0) return "the drive keeps no subpages";
    const kept_page* kept = find_page(page[0] & PAGE_CODE_MASK);
    if (kept == nullptr) return "the drive keeps no mode page " + std::to_string(page[0] & PAGE_CODE_MASK);
    if (page.size() != kept->defaults.size() || page[1] != kept->defaults[1]) {
        return "mode page " + std::to_string(kept->defaults[0]) + " is " + std::to_string(kept->defaults.size()) +
               " bytes long";
    }
    return {};
}

void store_drive_mode_page(physical_drive& d, std::span<const std::uint8_t> page)
{
    page_bytes copy(page.begin(), page.end());
    copy[0] &= PAGE_CODE_MASK;
    std::erase_if(d.mode_pages, [&copy](const page_bytes& p) { return p[0] == copy[0]; });
    const kept_page* kept = find_page(copy[0]);
    if (kept != nullptr && copy != kept->defaults) d.mode_pages.push_back(std::move(copy));
    std::sort(d.mode_pages.begin(), d.mode_pages.end());
}

mode_answer drive_mode_sense(const physical_drive& d, std::span<const std::uint8_t> cdb)
{
    mode_answer answer;
    const std::uint8_t code = cdb[2] & PAGE_CODE_MASK;
    const std::uint8_t control = cdb[2] >> 6;
    const std::uint8_t subpage = cdb[3];
    const kept_page* one = code == ALL_PAGES ? nullptr : find_page(code);
    // The drive's pages have no subpages: only subpage 0 or "all of them".
    if ((subpage != 0 && subpage != ALL_SUBPAGES) || (code != ALL_PAGES && one == nullptr)) {
        answer.refusal = ASC_INVALID_FIELD_IN_CDB;
        return answer;
    }
    page_bytes& out = answer.data;
    const bool with_descriptor = (cdb[1] & DISABLE_BLOCK_DESCRIPTORS) == 0;
    out.assign(MODE_HEADER + (with_descriptor ? BLOCK_DESCRIPTOR : 0), 0);
    out[2] = DEVICE_DPOFUA;
    if (with_descriptor) {
        out[3] = BLOCK_DESCRIPTOR;
        std::uint8_t* descriptor = out.data() + MODE_HEADER;
        if (control == PC_CHANGEABLE) {
            store_be(descriptor, 4, WHOLE_DRIVE);
        } else {
            store_be(descriptor, 4, capped(control == PC_DEFAULT ? drive_full_blocks(d) : drive_blocks(d)));
            store_be(descriptor + 5, 3, BLOCK_BYTES);
        }
    }
    for (const kept_page& kept : PAGES) {
        if (one != nullptr && &kept != one) continue;
        const page_bytes page = sensed_page(d, kept, control);
        out.insert(out.end(), page.begin(), page.end());
    }
    out[0] = static_cast<std::uint8_t>(out.size() - 1);
    return answer;
}

std::uint8_t drive_mode_select(physical_drive& d, std::span<const std::uint8_t> list)
{
    if (list.empty()) return 0;
    if (list.size() < MODE_HEADER) return ASC_PARAMETER_LIST_LENGTH;
    const std::size_t descriptors = list[3];
    if (descriptors != 0 && descriptors != BLOCK_DESCRIPTOR) return ASC_INVALID_FIELD_IN_PARAMETERS;
    if (MODE_HEADER + descriptors > list.size()) return ASC_PARAMETER_LIST_LENGTH;
    physical_drive changed = d;
    if (descriptors != 0) {
        // One descriptor: the number of blocks, density 0, 512-byte blocks.
        const std::uint8_t* descriptor = list.data() + MODE_HEADER;
        if (descriptor[4] != 0 || load_be(descriptor + 5, 3) != BLOCK_BYTES ||
            !set_drive_capacity(changed, load_be(descriptor, 4))) {
            return ASC_INVALID_FIELD_IN_PARAMETERS;
        }
    }
    for (std::size_t at = MODE_HEADER + descriptors; at < list.size();) {
        if (at + 2 > list.size() || at + 2 + list[at + 1] > list.size()) return ASC_PARAMETER_LIST_LENGTH;
        const std::span<const std::uint8_t> page = list.subspan(at, 2 + std::size_t{list[at + 1]});
        if (!check_drive_mode_page(page).empty()) return ASC_INVALID_FIELD_IN_PARAMETERS;
        // A bit the drive does not let change must stay as it is.
        const kept_page& kept = *find_page(page[0] & PAGE_CODE_MASK);
        const page_bytes now = current_page(changed, kept);
        for (std::size_t i = 2; i < page.size(); ++i) {
            if (((page[i] ^ now[i]) & ~kept.changeable[i]) != 0) return ASC_INVALID_FIELD_IN_PARAMETERS;
        }
        store_drive_mode_page(changed, page);
        at += page.size();
    }
    d = std::move(changed);
    return 0;
}

} // namespace sim
