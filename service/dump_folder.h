// Where a dump goes: the folder DumpDir of the service's registry key, its
// free space, the folder CONTno<i> of adapter i inside it, and the file dump0
// (the adapter's first dump, kept) or dump (every later one, replaced).
#ifndef ZAN_SERVICE_DUMP_FOLDER_H
#define ZAN_SERVICE_DUMP_FOLDER_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plat/file.h"

namespace zan {

// Longest DumpDir taken, in characters.
inline constexpr std::size_t DUMP_DIR_CHARS = 260;

// Report IDs of a dump that is not written.
inline constexpr std::uint32_t DUMP_NOT_CREATED = 0xA000010D;
inline constexpr std::uint32_t REGISTRY_FAILED = 0xA0000041;

// The root of the volume whose free space is asked: DumpDir (ending in its
// backslash) up to and with its first ":\"; without a drive part, the
// whole DumpDir (the platform finds its volume, or refuses a relative path).
std::string dump_volume_root(const std::string& dump_dir);

// The folders tried, in order, when DumpDir does not exist: the text before
// each run of separators ('\' or '/'), leaving out an empty one; the last is
// DumpDir itself.
std::vector<std::string> dump_folder_steps(const std::string& dump_dir);

// Reports a failure of a dump of adapter `adapter` as not created, with the
// 4-byte system error code as raw data when there is one.
void report_dump_not_created(std::uint8_t adapter, std::span<const std::uint8_t> data = {});
void report_dump_not_created(std::uint8_t adapter, std::uint32_t os_error);

// Prepares the dump of adapter `adapter`, which needs `required` bytes: reads
// DumpDir, checks the free space of its volume, creates the missing folders
// (each one tried written to standard output as "dtmp=%s\n") and creates
// the file. Every failure is reported; false then.
[[nodiscard]] bool open_dump_file(std::uint8_t adapter, std::uint64_t required, plat::file& out);

} // namespace zan

#endif
