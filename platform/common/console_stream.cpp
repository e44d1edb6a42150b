// Text formatting, console output and line input through the C runtime's standard streams. On
// Windows, output written in text mode ends its lines as Windows programs do.
#include <cstdio>

#include "plat/console.h"

namespace plat {

std::string format_v(const char* format, std::va_list args)
{
    std::va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

std::string format(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = format_v(format, args);
    va_end(args);
    return text;
}

void console_write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool console_read_line(std::string& line, std::size_t max_chars)
{
    line.clear();
    bool read_any = false;
    for (int c = std::getchar(); c != EOF; c = std::getchar()) {
        read_any = true;
        if (line.size() < max_chars) line += static_cast<char>(c);
        if (c == '\n') break;
    }
    return read_any;
}

} // namespace plat
