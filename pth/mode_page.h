// The parameter list of the "N" command: mode page 0x22 from fields 4 to 24
// of its parameter file.
#ifndef PTH_MODE_PAGE_H
#define PTH_MODE_PAGE_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pth {

inline constexpr std::size_t page22_list_bytes = 34;
// The parameter file's last field of the page.
inline constexpr std::size_t page22_last_field = 24;

// nullopt when a hexadecimal field is unreadable or missing; decimal fields
// are taken as they convert.
std::optional<std::array<std::uint8_t, page22_list_bytes>> page22_list(const std::vector<std::string>& fields);

} // namespace pth

#endif
