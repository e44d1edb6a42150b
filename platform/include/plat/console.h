// Console: standard output and line input.
#ifndef PLAT_CONSOLE_H
#define PLAT_CONSOLE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

// Writes text to standard output as it stands and flushes it.
void console_write(std::string_view text);

// Reads one line from standard input into `line`, its "\n" included when the
// line had one; at most `max_chars` characters are kept, the rest of a longer
// line is consumed. Returns false at the end of input with nothing read.
[[nodiscard]] bool console_read_line(std::string& line, std::size_t max_chars);

} // namespace plat

#endif
