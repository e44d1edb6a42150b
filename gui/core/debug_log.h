// The utility's own debug log "c:\zanutil.log": a banner when it opens, then
// one dated entry per error context or timer and power event whose level is
// within the debug level.
#ifndef GUI_DEBUG_LOG_H
#define GUI_DEBUG_LOG_H

#include <cstdint>
#include <string_view>

#include <plat/file.h>

namespace gui {

inline constexpr char debug_log_path[] = "c:\\zanutil.log";
inline constexpr std::uint8_t log_level_error = 1;
inline constexpr std::uint8_t log_level_event = 2;

class debug_log {
public:
    // Opens (or creates) the file at its end and writes the banner. False
    // when it cannot be opened; the log then stays closed.
    [[nodiscard]] bool open(const char* path);
    // Appends an entry when the log is open and `level` is within `limit`.
    void entry(std::uint8_t level, std::uint8_t limit, std::string_view text);
    void close();

private:
    plat::file file_;
};

} // namespace gui

#endif
