// What every export does on entry, and the shared argument checks.
#ifndef ZAN_EXPORT_SUPPORT_H
#define ZAN_EXPORT_SUPPORT_H

#include <cstdint>

#include "request.h"

namespace zan {

// Makes sure the calling thread is attached (where the platform gives no
// thread-attach notice of its own); implemented by the build's entry module.
void attach_calling_thread();

// Entry of an export that resets the caller's last error.
void enter_export();

// Exports use numeric arguments by their low byte.
constexpr std::uint8_t low_byte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

// Stores a failure with its error entry (and the called inner step, if any).
void export_failed(const char* funcname, int place, std::uint32_t code);

// A failed inner step: stores its error OR 0x10000000 with an error entry.
void inner_failed(const char* funcname, int place);

// A failed inner export (`step`, such as getContInfo): as inner_failed, and
// the log names the step.
void inner_step_failed(const char* funcname, int place, const char* step);

// Stores an argument error (`argument_bit` with 0x10) with its error entry;
// returns false for the export's checks.
bool argument_failed(const char* funcname, int place, std::uint32_t argument_bit);

// Runs execute request for an export; a failure is passed up with an error
// entry naming the export.
[[nodiscard]] bool send_request(const char* funcname, std::uint8_t controller, std::uint32_t control_code,
                                work_record& record);

// Argument checks. Each returns true when the argument passes; otherwise the
// argument error is stored and logged and the export returns 0.
[[nodiscard]] bool check_controller(const char* funcname, std::uint8_t controller);
[[nodiscard]] bool check_controller_range(const char* funcname, std::uint8_t controller);
[[nodiscard]] bool check_group(const char* funcname, std::uint8_t group);
[[nodiscard]] bool check_drive(const char* funcname, std::uint8_t drive);
[[nodiscard]] bool check_pointer(const char* funcname, const void* pointer);
[[nodiscard]] bool check_priority(const char* funcname, std::uint8_t priority);

// Whether the adapter has logical drive `group` (0-11, range checked before):
// its RaidStatus state is not 0xFF. A failed status request is passed up; an
// undefined group is 0x40.
[[nodiscard]] bool check_group_defined(const char* funcname, std::uint8_t controller, std::uint8_t group);

} // namespace zan

#endif
