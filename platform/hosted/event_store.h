// The hosted Event Log's store: one text file in the root, <root>/eventlog,
// one record per line, appended by every process of the machine under an
// exclusive lock of the file. Shared by the platform layer (which appends)
// and zansim (which lists and clears). The functions return 0 or an errno
// value.
//
// A line: number, type, category, source, ID (8 hex digits), number of
// strings, each string, the raw data as hex pairs (possibly empty), all
// separated by tabs; in the source and the strings every byte below 0x20,
// 0x7F and '%' is written as %XX. A line cut short by a killed writer lacks
// its newline: the next writer ends it, and readers skip it.
#ifndef PLAT_HOSTED_EVENT_STORE_H
#define PLAT_HOSTED_EVENT_STORE_H

#include <cstdint>
#include <string>
#include <vector>

namespace plat::hosted {

struct event_record {
    std::uint32_t number = 0; // 1 for the first record since the log was made or cleared
    std::uint16_t type = 0;
    std::uint16_t category = 0;
    std::string source;
    std::uint32_t id = 0;
    std::vector<std::string> strings;
    std::vector<std::uint8_t> data;
};

std::string event_log_path(const std::string& root);

// Appends `record`, numbering it one past the last record of the log.
[[nodiscard]] int append_event(const std::string& root, event_record& record);

// Every whole record, oldest first; no log is an empty one.
[[nodiscard]] int read_events(const std::string& root, std::vector<event_record>& out);

// Empties the log; numbering starts again at 1.
[[nodiscard]] int clear_events(const std::string& root);

} // namespace plat::hosted

#endif
