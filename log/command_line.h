// The log tool's command line: zanlog TYPE FOLDER ["-AutomaticLog"].
#ifndef ZANLOG_COMMAND_LINE_H
#define ZANLOG_COMMAND_LINE_H

#include <cstdint>

#include "log_types.h"

namespace zanlog {

enum class parse_end {
    parsed,
    bad_parameter, // 1001
    not_supported, // 1009 ("_fwdumpdirect")
};

struct command_line {
    parse_end end = parse_end::bad_parameter;
    bool automatic = false;
    const log_type* type = nullptr; // known once the keyword matched
    int controller = 0;             // the character's code minus that of '0'
    int drive = 0;                  // likewise, for the drive log types
    const char* folder = nullptr;
};

// Analyses the arguments after the program name. The mode and, once the
// keyword matched, the log type are set even when the analysis fails, so the
// failure is reported as the mode and type require.
[[nodiscard]] command_line parse_command_line(int count, const char* const* arguments);

} // namespace zanlog

#endif
