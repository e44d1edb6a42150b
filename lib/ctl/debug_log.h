// The library's optional debug log: opened by DebugOn, filtered by the debug
// level, only ever appended to. Writing to it never changes the caller's
// error code, and a failed write is ignored.
#ifndef ZAN_DEBUG_LOG_H
#define ZAN_DEBUG_LOG_H

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zan::debug_log {

inline constexpr std::uint8_t LEVEL_ERRORS = 1;
inline constexpr std::uint8_t LEVEL_TRACE = 3;
inline constexpr std::uint8_t LEVEL_DUMP = 4;

// Source modules named in error entries.
inline constexpr const char* MODULE_TRANSPORT = "dll_mod";
inline constexpr const char* MODULE_EXPORTS = "raidctl";

// Opens (or reopens) the log at `path` and writes its banner.
[[nodiscard]] bool open(const char* path);
// Accepts levels 1-4.
[[nodiscard]] bool set_level(std::uint8_t level);
// Closes the log (library unload).
void close();

// Whether a line of this level would be written.
bool wants(std::uint8_t level);

// Text formatted piece by piece into one buffer, so that a whole entry or
// dump reaches the file in one write. Text past the buffer is cut.
template <std::size_t Capacity>
class text_buffer {
public:
    text_buffer() { text_[0] = '\0'; }
    void vadd(const char* format, va_list args)
    {
        if (size_ >= Capacity - 1) return;
        const int n = std::vsnprintf(text_ + size_, Capacity - size_, format, args);
        if (n < 0) return;
        size_ = std::min(size_ + static_cast<std::size_t>(n), Capacity - 1);
    }
    void add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        vadd(format, args);
        va_end(args);
    }
    const char* c_str() const { return text_; }
    std::size_t size() const { return size_; }

private:
    char text_[Capacity];
    std::size_t size_ = 0;
};

// A text of the given level, written in one piece.
void write(std::uint8_t level, const char* text, std::size_t size);

// A formatted line of the given level (the format carries its own "\n").
void line(std::uint8_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The two-line error entry for a failure detected at `place` of `module`.
void error_entry(const char* funcname, const char* module, int place, std::uint32_t code);
// "errmsg" lines: the OS message, a driver failure, an argument error.
void errmsg_system(std::uint32_t os_error);
void errmsg_driver(std::uint32_t control_code, std::uint16_t status);
void errmsg_argument(std::uint32_t argument_bit);
// "keyword" line naming a failed registry step.
void keyword(const char* text);
// "called funcname" line naming the inner step that failed.
void called(const char* funcname);

// The time stamp text of entry traces.
const char* trace_stamp(char (&buffer)[64]);

// The level-4 dump of a work record after its exchange.
void dump_request(std::uint32_t control_code, const std::uint8_t* record, std::size_t size);

} // namespace zan::debug_log

#endif
