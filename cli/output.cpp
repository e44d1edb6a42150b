#include "output.h"

#include <cstdarg>
#include <cstdio>

#include <plat/console.h>

namespace cli {

namespace {

output_sink current_sink = plat::console_write;

} // namespace

void say(std::string_view message)
{
    std::string line(message);
    line += '\n';
    current_sink(line);
}

void put(std::string_view text)
{
    current_sink(text);
}

void sayf(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    const std::string text = plat::format_v(format, args);
    va_end(args);
    say(text);
}

output_sink set_output_sink(output_sink sink)
{
    const output_sink previous = current_sink;
    current_sink = sink;
    return previous;
}

} // namespace cli
