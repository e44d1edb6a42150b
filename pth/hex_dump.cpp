#include "hex_dump.h"

#include "tool_output.h"

namespace pth {

namespace {

constexpr std::size_t bytes_per_line = 16;

bool shown_as_itself(std::uint8_t byte)
{
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

} // namespace

std::uint32_t hex_dump(std::string& out, const char* title, std::span<const std::uint8_t> data,
                       std::uint32_t first_line, std::uint32_t total, const char* line_end)
{
    if (first_line == 0)
        out += format("[%s] Size=%d", title, static_cast<int>(total)) + line_end;
    if (data.empty()) {
        out += line_end;
        return first_line;
    }
    if (first_line == 0)
        out += std::string(77, '-') + line_end;
    std::uint32_t line = first_line;
    for (std::size_t at = 0; at < data.size(); at += bytes_per_line, ++line) {
        const auto row = data.subspan(at, std::min(bytes_per_line, data.size() - at));
        out += format("%08X: ", line * 16u);
        for (std::size_t i = 0; i < bytes_per_line; ++i) {
            out += i < row.size() ? format("%02X ", row[i]) : std::string(3, ' ');
            if (i == 7)
                out += ' ';
        }
        out += ' ';
        for (const std::uint8_t byte : row)
            out += shown_as_itself(byte) ? static_cast<char>(byte) : '.';
        out += line_end;
    }
    return line;
}

std::uint32_t print_dump(const char* title, std::span<const std::uint8_t> data, std::uint32_t first_line,
                         std::uint32_t total)
{
    std::string text;
    const std::uint32_t next = hex_dump(text, title, data, first_line, total);
    put(text);
    return next;
}

} // namespace pth
