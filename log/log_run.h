// zanlog: one log per run, from an adapter or a drive behind it, into a
// dated file of the folder the caller names.
#ifndef ZANLOG_LOG_RUN_H
#define ZANLOG_LOG_RUN_H

#include <string>

#include "plat/clock.h"

namespace zanlog {

// The file name of a log: the local time, "_ZAN_", the controller number and
// the type's suffix, with the drive number after it for the drive logs.
[[nodiscard]] std::string log_file_name(const plat::local_time& now, int controller, const char* suffix,
                                        const int* drive);

// Runs the tool with the arguments after the program name; returns the
// process's exit code (the thread's last error at the end of the run).
[[nodiscard]] int run(int count, const char* const* arguments);

} // namespace zanlog

#endif
