#include "mode_pages.h"

#include <algorithm>

namespace sim {

namespace {

// Read-write error recovery (retries), caching (write cache enabled,
// prefetch), control and informational exceptions (report on request);
// the clock page is set, never listed among all pages.
const mode_page DEFAULT_PAGES[] = {
    {0x01, 0x0A, 0xC0, 0x10, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00},
    {0x08, 0x12, 0x04, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x20, 0x00, 0x00, 0x00, 0x00,
     0x00, 0x00},
    {0x0A, 0x0A, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},
    {0x1C, 0x0A, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01},
    // The adapter's clock (BCD), as the monitoring service last set it.
    {0x32, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

constexpr std::uint8_t KEPT_CODES[] = {0x01, 0x08, 0x0A, 0x1C};

// The page-save bit of byte 0 is not part of the page code.
constexpr std::uint8_t PAGE_CODE_MASK = 0x3F;

} // namespace

std::span<const std::uint8_t> kept_page_codes()
{
    return KEPT_CODES;
}

mode_page default_mode_page(std::uint8_t code)
{
    for (const mode_page& page : DEFAULT_PAGES) {
        if (page[0] == code) return page;
    }
    return {};
}

std::string check_mode_page(std::span<const std::uint8_t> page)
{
    if (page.size() < 2) return "a mode page holds at least its code and length";
    const mode_page model = default_mode_page(page[0] & PAGE_CODE_MASK);
    if (model.empty()) return "the firmware keeps no mode page " + std::to_string(page[0] & PAGE_CODE_MASK);
    if (page[1] != model[1] || page.size() != model.size()) {
        return "mode page " + std::to_string(model[0]) + " is " + std::to_string(model.size()) + " bytes long";
    }
    return {};
}

mode_page current_mode_page(const adapter& a, std::uint8_t code)
{
    for (const mode_page& page : a.mode_pages) {
        if (page[0] == code) return page;
    }
    return default_mode_page(code);
}

void store_mode_page(adapter& a, std::span<const std::uint8_t> page)
{
    mode_page copy(page.begin(), page.end());
    copy[0] &= PAGE_CODE_MASK;
    std::erase_if(a.mode_pages, [&copy](const mode_page& p) { return p[0] == copy[0]; });
    if (copy != default_mode_page(copy[0])) a.mode_pages.push_back(std::move(copy));
    std::sort(a.mode_pages.begin(), a.mode_pages.end());
}

} // namespace sim
