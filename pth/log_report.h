// The reports of the "L" command: the drive's error history (log page 0x31)
// and its SMART parameters (log page 0x32) in the layout of its model.
#ifndef PTH_LOG_REPORT_H
#define PTH_LOG_REPORT_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pth {

inline constexpr std::uint32_t error_history_bytes = 0x3574;

std::string error_history_report(std::span<const std::uint8_t> page);

// The SMART page layout of a model: the allocation length (the whole page:
// its header and every parameter) and the number of heads printed and
// carried, chosen by characters 5 to 7 of the product identification ("073",
// "036", "147", "300"); nullopt for other models.
struct smart_layout {
    std::uint16_t allocation;
    int heads;         // heads carried per read, write and seek parameter
    int printed_heads;
};
std::optional<smart_layout> smart_layout_of(const std::string& product);

std::string smart_report(std::span<const std::uint8_t> page, const smart_layout& layout);

} // namespace pth

#endif
