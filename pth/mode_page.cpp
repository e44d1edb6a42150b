#include "mode_page.h"

#include "numbers.h"
#include "pass_call.h"

namespace pth {

namespace {

// Field `field` goes into `width` bytes from `at`, shifted left by `shift`
// and ORed with what is there; `decimal` fields are not validated.
struct page_slot {
    std::uint8_t field;
    std::uint8_t at;
    std::uint8_t width;
    bool decimal;
    std::uint8_t shift;
};

constexpr page_slot slots[] = {
    {4, 6, 1, true, 0},   {5, 6, 1, true, 1},   {6, 7, 1, false, 0},  {7, 8, 2, false, 0},
    {8, 10, 1, true, 0},  {9, 11, 1, false, 0}, {10, 12, 4, false, 0}, {11, 16, 4, false, 0},
    {12, 20, 1, false, 0}, {13, 21, 1, false, 0}, {14, 22, 1, false, 0}, {15, 24, 1, true, 5},
    {16, 24, 1, true, 3}, {17, 24, 1, true, 0}, {18, 26, 2, false, 0}, {19, 28, 1, true, 0},
    {20, 28, 1, true, 0}, {21, 28, 1, false, 0}, {22, 29, 1, false, 0}, {23, 30, 2, false, 0},
    {24, 32, 2, false, 0},
};

constexpr std::uint8_t page_code = 0x22;
constexpr std::uint8_t page_length = 0x1C;

} // namespace

std::optional<std::array<std::uint8_t, page22_list_bytes>> page22_list(const std::vector<std::string>& fields)
{
    std::array<std::uint8_t, page22_list_bytes> list{};
    list[4] = page_code;
    list[5] = page_length;
    for (const page_slot& slot : slots) {
        if (slot.field > fields.size())
            return std::nullopt;
        const std::string& text = fields[slot.field - 1];
        std::uint32_t value = 0;
        if (slot.decimal) {
            value = static_cast<std::uint32_t>(parse_decimal(text));
        } else {
            const auto hex = parse_hex(text);
            if (!hex)
                return std::nullopt;
            value = *hex;
        }
        value <<= slot.shift;
        if (slot.width == 1) {
            list[slot.at] = static_cast<std::uint8_t>(list[slot.at] | value);
        } else {
            put_be(std::span(list).subspan(slot.at, slot.width), value);
        }
    }
    return list;
}

} // namespace pth
