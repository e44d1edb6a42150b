// Console output and line input through the C runtime's standard streams. On
// Windows, output written in text mode ends its lines as Windows programs do.
#include <cstdio>

#include "plat/console.h"

namespace plat {

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
