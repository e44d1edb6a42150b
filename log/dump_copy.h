// The firmware dump log: a copy of the dump file the monitoring service
// saved for the adapter under its "DumpDir", the latest ("dump") before the
// first ("dump0").
#ifndef ZANLOG_DUMP_COPY_H
#define ZANLOG_DUMP_COPY_H

#include <string>

namespace zanlog {

// Copies the dump of `controller` into a new file at `file_path`. Failures
// are reported, except a missing service key, which ends the run silently.
[[nodiscard]] bool copy_firmware_dump(int controller, const std::string& file_path);

} // namespace zanlog

#endif
