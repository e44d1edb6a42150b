// The tool's hexadecimal dump of everything it sends and receives.
#ifndef PTH_HEX_DUMP_H
#define PTH_HEX_DUMP_H

#include <cstdint>
#include <span>
#include <string>

namespace pth {

// Appends the dump of `data` to `out`: when `first_line` is 0 the heading
// "[title] Size=total" and a rule of 77 "-", then one line per 16 bytes
// numbered on from `first_line`, each ending in `line_end`. Returns the next
// line number, so that the dump of a continuing transfer goes on from there.
std::uint32_t hex_dump(std::string& out, const char* title, std::span<const std::uint8_t> data,
                       std::uint32_t first_line, std::uint32_t total, const char* line_end = "\n");

// The same, written to standard output.
std::uint32_t print_dump(const char* title, std::span<const std::uint8_t> data, std::uint32_t first_line,
                         std::uint32_t total);

} // namespace pth

#endif
