#include "tool_output.h"

#include <cstdarg>
#include <cstdio>

#include "tool_messages.h"
#include "plat/console.h"

namespace pth {

void put(std::string_view text)
{
    plat::console_write(text);
}

void putf(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    const std::string text = plat::format_v(format, args);
    va_end(args);
    put(text);
}

void abnormal_end()
{
    put(msg::abnormal_end);
}

} // namespace pth
