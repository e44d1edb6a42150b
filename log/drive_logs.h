// The drive logs: a drive's inquiry data, its log sense pages and its four
// internal logs, read through the pass-through library after the drive is
// identified, locked against a second run and spun up.
#ifndef ZANLOG_DRIVE_LOGS_H
#define ZANLOG_DRIVE_LOGS_H

#include <string>

#include "log_types.h"

namespace zanlog {

// Collects a drive log into a new file at `file_path`. Every failure is reported.
[[nodiscard]] bool collect_drive_log(log_kind kind, int controller, int drive, const std::string& file_path);

} // namespace zanlog

#endif
