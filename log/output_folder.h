// The output folder of a run: its full path and separator, its creation in
// automatic mode, and the size limit of the automatic-mode folder, which
// deletes the oldest firmware trace log when the folder has grown too large.
#ifndef ZANLOG_OUTPUT_FOLDER_H
#define ZANLOG_OUTPUT_FOLDER_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "plat/folders.h"

namespace zanlog {

// The separator of the run: the first backslash or slash of the full path
// that no blank follows; a slash when there is none.
[[nodiscard]] char path_separator(std::string_view full_path);

// A firmware trace log's name: 29 characters, "_ZAN_" at 14, "_FWTrcLog" at 20.
[[nodiscard]] bool is_trace_file_name(std::string_view name);

// The file among `entries` that the size limit deletes: the trace log file
// whose time stamp (its first 14 characters) is lowest, below 99991231235959.
[[nodiscard]] std::optional<std::size_t> oldest_trace_file(std::span<const plat::folder_entry> entries);

// The limit in MiB from the registry value "MaxAreaSizeForClog": 4 when it
// is missing (nullopt) or above 1024, 0 for no limit.
[[nodiscard]] std::uint32_t size_limit_mib(std::optional<std::uint32_t> value);

// Makes the output path of the run from FOLDER: the full path and its
// separator, the folder checked (and in automatic mode created), the size
// limit applied. Every failure is reported, except a folder over the limit
// without a trace log to delete, which ends the run silently.
[[nodiscard]] bool prepare_output_folder(const char* folder, bool automatic, std::string& output_path);

} // namespace zanlog

#endif
