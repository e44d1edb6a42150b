// The log tool's one reporting routine: errors and successes go to the
// console in interactive mode and, for the firmware trace log, to the Event
// Log under the service's source in automatic mode. The routine also leaves
// the run's outcome as the thread's last error, the process's exit code.
#ifndef ZANLOG_REPORT_H
#define ZANLOG_REPORT_H

#include <cstdint>

#include "log_types.h"

namespace zanlog {

// Error codes of the tool; every other code is an operating-system error.
inline constexpr std::uint32_t ERROR_BAD_PARAMETER = 1001;
inline constexpr std::uint32_t ERROR_ALREADY_STARTED = 1002;
inline constexpr std::uint32_t ERROR_NO_CONTROLLER = 1004;
inline constexpr std::uint32_t ERROR_NO_DRIVE = 1008;
inline constexpr std::uint32_t ERROR_NOT_SUPPORTED = 1009;
inline constexpr std::uint32_t ERROR_BUSY = 1011;
inline constexpr std::uint32_t ERROR_COMMAND_FAILED = 1117;
inline constexpr std::uint32_t ERROR_LIBRARY = 2001;

// What the reporting routine needs to know of the run; set by the
// command-line analysis.
struct run_context {
    bool automatic = false;
    const log_type* type = nullptr; // nullptr until the keyword is known
    int controller = 0;
};

run_context& current_run();

// How an error is shown: by its own lines, or by the general three lines.
enum class shown { as_such, general };

// Reports error `code`; always false, so that a failing step can return it.
bool report_error(std::uint32_t code, shown how);

// Reports the collected log.
void report_success();

// The detail code of the automatic-mode error report for `controller`.
[[nodiscard]] const char* detail_code(int controller, char (&text)[9]);

} // namespace zanlog

#endif
