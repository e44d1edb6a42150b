// Console: standard output, line input, the cursor and the key test.
#ifndef PLAT_CONSOLE_H
#define PLAT_CONSOLE_H

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

// vsnprintf into a string of whatever length the result needs ("" when the
// format fails).
std::string format_v(const char* format, std::va_list args);
// printf into a string of whatever length the result needs.
[[gnu::format(printf, 1, 2)]] std::string format(const char* format, ...);

// Writes text to standard output as it stands and flushes it.
void console_write(std::string_view text);

// Reads one line from standard input into `line`, its "\n" included when the
// line had one; at most `max_chars` characters are kept, the rest of a longer
// line is consumed. Returns false at the end of input with nothing read.
[[nodiscard]] bool console_read_line(std::string& line, std::size_t max_chars);

// The cursor of the console that standard output writes to, counted from 0
// at the top left of the screen buffer.
struct console_cursor {
    int column;
    int row;
};

// GetConsoleScreenBufferInfo's cursor position. False, with last_error()
// set, when standard output is not a console (redirected to a file or pipe).
[[nodiscard]] bool console_get_cursor(console_cursor& at);

// SetConsoleCursorPosition. False, with last_error() set, on failure.
[[nodiscard]] bool console_set_cursor(console_cursor at);

// Whether a key press is waiting in the console input (the key stays
// there). When false, last_error() tells why: 0 when no key is waiting, 6
// when standard input is not a console (no key can come).
[[nodiscard]] bool console_key_pressed();

} // namespace plat

#endif
