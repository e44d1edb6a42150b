#include "command_line.h"

#include <cstring>
#include <string>

namespace zanlog {

namespace {

constexpr char PREFIX[] = "zan_";
constexpr std::size_t PREFIX_CHARS = sizeof PREFIX - 1;
constexpr char AUTOMATIC_SWITCH[] = "-AutomaticLog";

std::string lowercase(const char* text)
{
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// The number a single character stands for; the character is not checked,
// the control library refuses what is no controller or drive.
int number_of(char c)
{
    return static_cast<unsigned char>(c) - '0';
}

} // namespace

command_line parse_command_line(int count, const char* const* arguments)
{
    command_line line;
    if (count != 2 && count != 3) return line;
    line.automatic = count == 3 && std::strcmp(arguments[2], AUTOMATIC_SWITCH) == 0;
    line.folder = arguments[1];

    const std::string type = lowercase(arguments[0]);
    if (type.compare(0, PREFIX_CHARS, PREFIX) != 0 || type.size() <= PREFIX_CHARS) return line;
    line.controller = number_of(type[PREFIX_CHARS]);
    const char* rest = type.c_str() + PREFIX_CHARS + 1;
    for (const log_type& candidate : LOG_TYPES) {
        const std::size_t length = std::strlen(candidate.keyword);
        if (std::strncmp(rest, candidate.keyword, length) != 0) continue;
        if (candidate.kind == log_kind::firmware_dump_direct) {
            line.end = parse_end::not_supported;
            return line;
        }
        line.type = &candidate;
        if (candidate.drive_follows) line.drive = number_of(rest[length]);
        line.end = line.automatic && !candidate.automatic_allowed ? parse_end::bad_parameter : parse_end::parsed;
        return line;
    }
    return line;
}

} // namespace zanlog
