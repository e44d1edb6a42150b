#include "tool_output.h"

#include <cstdarg>
#include <cstdio>

#include "tool_messages.h"
#include "plat/console.h"

namespace pth {

namespace {

std::string vformat(const char* format, std::va_list args)
{
    std::va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size <= 0)
        return {};
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(size));
    return text;
}

} // namespace

std::string format(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return text;
}

void put(std::string_view text)
{
    plat::console_write(text);
}

void putf(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    const std::string text = vformat(format, args);
    va_end(args);
    put(text);
}

void abnormal_end()
{
    put(msg::abnormal_end);
}

} // namespace pth
