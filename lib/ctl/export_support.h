// What every export does on entry, the guard that keeps exceptions inside the
// library, and the shared argument checks.
#ifndef ZAN_EXPORT_SUPPORT_H
#define ZAN_EXPORT_SUPPORT_H

#include <cstdint>
#include <new>

#include "debug_log.h"
#include "plat/error.h"
#include "request.h"
#include "zandllctl.h"

namespace zan {

// Makes sure the calling thread is attached (where the platform gives no
// thread-attach notice of its own); implemented by the build's entry module.
void attach_calling_thread();

// Exports use numeric arguments by their low byte.
constexpr std::uint8_t low_byte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

// How an export without an argument line enters.
enum class entry_kind : std::uint8_t {
    traced,        // resets the last error, writes the entry trace
    untraced,      // resets the last error, writes no trace
    keeps_error,   // leaves the last error as it is, writes no trace
};

// An argument line that continues the entry trace's own line.
struct same_line_t {};
inline constexpr same_line_t same_line{};

// The entry of an export, constructed first thing in it: the export's name
// (as its log entries show it) and its entry trace. run() attaches the
// calling thread, resets its last error, writes the trace in one piece and
// runs the export's body; an exception from the body becomes the system
// error 0x200 with the OS last error set, and the export's failure value.
class export_entry {
public:
    explicit export_entry(const char* name, entry_kind kind = entry_kind::traced);
    // The entry trace followed by the argument line "<name>\t: " + arguments.
    export_entry(const char* name, const char* arguments, ...) __attribute__((format(printf, 3, 4)));
    // The entry trace with the arguments on its own line, after the stamp.
    export_entry(const char* name, same_line_t, const char* arguments, ...) __attribute__((format(printf, 4, 5)));
    export_entry(const export_entry&) = delete;
    export_entry& operator=(const export_entry&) = delete;

    const char* name() const { return name_; }

    template <typename Body>
    auto run(Body&& body) const noexcept -> decltype(body())
    {
        try {
            enter();
            return body();
        } catch (const std::bad_alloc&) {
            failed_by_exception(plat::ERR_NOT_ENOUGH_MEMORY);
        } catch (...) {
            failed_by_exception(plat::ERR_INVALID_FUNCTION);
        }
        return {};
    }

    // A further trace line of the export: "<name>\t: " + the formatted text.
    void trace(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    static constexpr std::size_t TRACE_CHARS = 1024;

    void enter() const;
    void failed_by_exception(std::uint32_t os_error) const noexcept;

    const char* name_;
    entry_kind kind_;
    debug_log::text_buffer<TRACE_CHARS> trace_; // what follows the stamp; empty when not traced
};

// Stores a failure with its error entry (and the called inner step, if any).
void export_failed(const char* funcname, int place, std::uint32_t code);

// A failed inner step: stores its error OR 0x10000000 with an error entry.
void inner_failed(const char* funcname, int place);

// A failed inner export (`step`, such as getContInfo): as inner_failed, and
// the log names the step.
void inner_step_failed(const char* funcname, int place, const char* step);

// Stores an argument error (`argument_bit` with 0x10) with its error entry;
// returns false for the export's checks.
bool argument_failed(const export_entry& entry, int place, std::uint32_t argument_bit);

// Runs execute request for an export; a failure is passed up with an error
// entry naming the export.
[[nodiscard]] bool send_request(const export_entry& entry, std::uint8_t controller, std::uint32_t control_code,
                                work_record& record);

// Argument checks. Each returns true when the argument passes; otherwise the
// argument error is stored and logged and the export returns 0.
[[nodiscard]] bool check_controller(const export_entry& entry, std::uint8_t controller);
[[nodiscard]] bool check_controller_range(const export_entry& entry, std::uint8_t controller);
[[nodiscard]] bool check_group(const export_entry& entry, std::uint8_t group);
[[nodiscard]] bool check_drive(const export_entry& entry, std::uint8_t drive);
[[nodiscard]] bool check_pointer(const export_entry& entry, const void* pointer);
[[nodiscard]] bool check_priority(const export_entry& entry, std::uint8_t priority);

// Whether the adapter has logical drive `group` (0-11, range checked before):
// its RaidStatus state is not 0xFF. A failed status request is passed up; an
// undefined group is 0x40.
[[nodiscard]] bool check_group_defined(const export_entry& entry, std::uint8_t controller, std::uint8_t group);

} // namespace zan

#endif
