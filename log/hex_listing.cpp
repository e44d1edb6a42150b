#include "hex_listing.h"

#include <algorithm>
#include <cstdio>

namespace zanlog {

namespace {

constexpr std::uint32_t LINE_BYTES = 16;

} // namespace

std::string hex_listing::list(std::span<const std::uint8_t> block)
{
    std::string text;
    if (address_ == 0) text += header_ + "\n";
    for (std::size_t at = 0; at < block.size(); at += LINE_BYTES) {
        const std::span<const std::uint8_t> line = block.subspan(at, std::min<std::size_t>(LINE_BYTES, block.size() - at));
        char field[16];
        std::snprintf(field, sizeof field, "%08lx: ", static_cast<unsigned long>(address_));
        text += field;
        std::string characters;
        for (const std::uint8_t byte : line) {
            std::snprintf(field, sizeof field, "%02x", byte);
            text += field;
            characters += byte >= 0x21 && byte <= 0x7E ? static_cast<char>(byte) : '.';
        }
        // A short last line keeps the columns: two blanks per missing byte
        // in the hex part, one in the character part.
        text.append(2 * (LINE_BYTES - line.size()), ' ');
        characters.append(LINE_BYTES - line.size(), ' ');
        text += " " + characters + "\n";
        address_ += LINE_BYTES;
    }
    return text;
}

} // namespace zanlog
