#include "command_line.h"

#include <cstdio>

#include "fields.h"

int fail(const std::string& message)
{
    std::fprintf(stderr, "zansim: %s\n", message.c_str());
    return 1;
}

int misuse(const std::string& message)
{
    std::fprintf(stderr, "zansim: %s\nTry 'zansim help'.\n", message.c_str());
    return 2;
}

bool read_number(const std::string& text, std::uint64_t limit, std::uint64_t& out)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           sim::parse_number(text, limit, out);
}

bool read_port(const std::string& text, int& port)
{
    std::uint64_t value = 0;
    if (!read_number(text, 255, value)) return false;
    port = static_cast<int>(value);
    return true;
}

bool read_drive(const std::string& text, std::uint32_t& hdd)
{
    std::uint64_t value = 0;
    if (!read_number(text, 11, value)) return false;
    hdd = static_cast<std::uint32_t>(value);
    return true;
}
