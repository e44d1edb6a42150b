#include "numbers.h"

#include <cstdlib>
#include <string>

namespace pth {

namespace {

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view skip_blanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

} // namespace

std::optional<std::uint32_t> parse_hex(std::string_view text)
{
    text = skip_blanks(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && hex_digit(text[2]) >= 0)
        text.remove_prefix(2);
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && hex_digit(text[digits]) >= 0; ++digits) {
        value = value * 16 + static_cast<std::uint64_t>(hex_digit(text[digits]));
        if (value > 0xFFFFFFFFu)
            value = 0xFFFFFFFFu;
    }
    if (digits == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 0xFFFFFFFFu));
}

long parse_decimal(std::string_view text)
{
    return std::strtol(std::string(text).c_str(), nullptr, 10);
}

std::optional<std::uint32_t> parse_count(std::string_view text)
{
    text = skip_blanks(text);
    std::size_t digits = 0;
    std::uint64_t value = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits)
        value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text[digits] - '0'), 0x80000000u);
    if (digits == 0 || value > 0x7FFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text, std::size_t max_bytes)
{
    if (text.size() > max_bytes * 2)
        text = text.substr(0, max_bytes * 2);
    if (text.empty() || text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hex_digit(text[i]);
        const int low = hex_digit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

} // namespace pth
