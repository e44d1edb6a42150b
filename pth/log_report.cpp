#include "log_report.h"

#include <array>
#include <numeric>

#include "tool_output.h"
#include "pass_call.h"

namespace pth {

namespace {

constexpr std::size_t history_entries = 180;
constexpr std::size_t history_entry_bytes = 76;
constexpr std::size_t page_header_bytes = 4;

// Numbers of a page; bytes past its end read as 0.
std::uint32_t be_at(std::span<const std::uint8_t> data, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | (at + i < data.size() ? data[at + i] : 0u);
    return value;
}

// The SMART parameters in their order and sizes (each with its 4-byte
// header): operating time, reads, writes and seeks per head, spare sectors,
// spin-up, start-stop, temperature, voltage, SMART.
constexpr std::size_t smart_parameters = 10;

std::array<std::size_t, smart_parameters> smart_parameter_sizes(int heads)
{
    const std::size_t per_head = 12 + 8 * static_cast<std::size_t>(heads);
    return {8, per_head, per_head, per_head, 6, 14, 8, 12, 18, 12};
}

std::string hours_line(const char* label, std::uint32_t minutes)
{
    return format("%s%8.2f\n", label, minutes / 60.0);
}

// The per-head figures of the reads, writes or seeks parameter.
std::string head_group(std::span<const std::uint8_t> p, const smart_layout& layout, const char* what)
{
    std::string text = "\n";
    for (int h = 0; h < layout.printed_heads; ++h) {
        text += format("Head %d %s sectors            :%10ld\n", h, what, static_cast<long>(be_at(p, 10 + 8 * h, 4)));
        text += format("Head %d %s errors (current)   :%5d\n", h, what, static_cast<int>(be_at(p, 14 + 8 * h, 2)));
        text += format("Head %d %s errors (previous)  :%5d\n", h, what, static_cast<int>(be_at(p, 16 + 8 * h, 2)));
    }
    const std::size_t size = 12 + 8 * static_cast<std::size_t>(layout.heads);
    text += format("Worst %s error count          :%5d\n", what, static_cast<int>(be_at(p, size - 2, 2)));
    return text;
}

} // namespace

std::string error_history_report(std::span<const std::uint8_t> page)
{
    std::string text = "No.\tPower-on(h)\tP-On(m)\tSense\tLBA\tCDB\n";
    for (std::size_t i = 0; i < history_entries; ++i) {
        const std::size_t e = page_header_bytes + i * history_entry_bytes;
        text += format("%03d\t%8.2f\t%8.2f\t", static_cast<int>(be_at(page, e + 1, 1)), be_at(page, e + 4, 4) / 3600.0,
                       be_at(page, e + 8, 4) / 60.0);
        text += format("%02X%02X%02X\t%02X%02X%02X%02X\t%02X\n", be_at(page, e + 14, 1), be_at(page, e + 24, 1),
                       be_at(page, e + 25, 1), be_at(page, e + 15, 1), be_at(page, e + 16, 1), be_at(page, e + 17, 1),
                       be_at(page, e + 18, 1), be_at(page, e + 60, 1));
    }
    return text;
}

std::optional<smart_layout> smart_layout_of(const std::string& product)
{
    struct model {
        const char* digits;
        int heads;
        int printed_heads;
    };
    static constexpr model models[] = {{"073", 4, 1}, {"036", 2, 2}, {"147", 8, 8}, {"300", 8, 8}};
    if (product.size() < 7)
        return std::nullopt;
    const std::string digits = product.substr(4, 3);
    for (const model& m : models) {
        if (digits == m.digits) {
            const auto sizes = smart_parameter_sizes(m.heads);
            const std::size_t page = std::accumulate(sizes.begin(), sizes.end(), page_header_bytes);
            return smart_layout{static_cast<std::uint16_t>(page), m.heads, m.printed_heads};
        }
    }
    return std::nullopt;
}

std::string smart_report(std::span<const std::uint8_t> page, const smart_layout& layout)
{
    const auto sizes = smart_parameter_sizes(layout.heads);
    std::size_t at = page_header_bytes;
    std::span<const std::uint8_t> p[smart_parameters];
    for (std::size_t i = 0; i < smart_parameters; ++i) {
        const std::size_t begin = std::min(at, page.size());
        p[i] = page.subspan(begin, std::min(sizes[i], page.size() - begin));
        at += sizes[i];
    }
    std::string text = hours_line("Cumulative operating time (h) :", be_at(p[0], 4, 4));
    text += head_group(p[1], layout, "read");
    text += head_group(p[2], layout, "write");
    text += head_group(p[3], layout, "seek");
    text += format("\nRemaining spare sectors       :%5d\n", static_cast<int>(be_at(p[4], 4, 2)));
    text += format("\nSpin-up time, current (s)     :%4d\n", static_cast<int>(be_at(p[5], 6, 1)));
    text += format("Spin-up time, previous (s)    :%4d\n", static_cast<int>(be_at(p[5], 7, 1)));
    text += format("Spin-up time, longest (s)     :%4d\n", static_cast<int>(be_at(p[5], 8, 1)));
    text += hours_line("Time of the longest (h)       :", be_at(p[5], 10, 4));
    text += format("\nStart-stop count              :%5d\n", static_cast<int>(be_at(p[6], 6, 2)));
    text += format("\nTemperature, current (C)      :%3d\n", static_cast<int>(be_at(p[7], 4, 1)));
    text += format("Temperature, highest (C)      :%3d\n", static_cast<int>(be_at(p[7], 6, 1)));
    text += hours_line("Time of the highest (h)       :", be_at(p[7], 8, 4));
    text += format("\n12 V voltage, current         :1%02X\n", be_at(p[8], 4, 1));
    text += format("12 V voltage, highest         :1%02X\n", be_at(p[8], 6, 1));
    text += hours_line("Time of the highest (h)       :", be_at(p[8], 8, 4));
    text += format("12 V voltage, lowest          :1%02X\n", be_at(p[8], 12, 1));
    text += hours_line("Time of the lowest (h)        :", be_at(p[8], 14, 4));
    text += format("\nSMART ASC:%02X\n", be_at(p[9], 6, 1));
    text += format("SMART ASCQ:%02X\n", be_at(p[9], 7, 1));
    text += hours_line("Time of the SMART warning (h) :", be_at(p[9], 8, 4));
    return text;
}

} // namespace pth
