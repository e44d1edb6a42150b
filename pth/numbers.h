// The tool's number conventions: hexadecimal fields without prefix, a few
// decimal ones, and hexadecimal digit pairs for command and data bytes.
#ifndef PTH_NUMBERS_H
#define PTH_NUMBERS_H

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace pth {

// Leading blanks are skipped, an optional "0x" is allowed, and the digits
// end at the first other character. A value that converts to 0 while the
// conversion found no digits is invalid (nullopt); values past 32 bits stay
// at 0xFFFFFFFF, as the runtime's conversion does.
std::optional<std::uint32_t> parse_hex(std::string_view text);

// A decimal number by the runtime's rules: leading blanks, a sign, digits up
// to the first other character; no digits give 0.
long parse_decimal(std::string_view text);

// A decimal field that must hold digits, not be negative and fit the
// signed 32 bits it is printed in.
std::optional<std::uint32_t> parse_count(std::string_view text);

// Hexadecimal digit pairs without separators, at most `max_bytes` bytes
// (further digits are cut off). nullopt for no digits, an odd count of
// digits or a character that is not a digit.
std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text, std::size_t max_bytes);

} // namespace pth

#endif
