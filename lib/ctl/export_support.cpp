#include "export_support.h"

#include <cstdarg>

#include "controller_table.h"
#include "debug_log.h"
#include "thread_errors.h"

namespace zan {
namespace {

// Rebuild priorities and patrol-read delays: 1 High, 2 Middle, 3 Low.
constexpr std::uint8_t PRIORITY_HIGH = 1;
constexpr std::uint8_t PRIORITY_LOW = 3;

} // namespace

// ---- Export entry -----------------------------------------------------------------

export_entry::export_entry(const char* name, entry_kind kind) : name_(name), kind_(kind)
{
    if (kind == entry_kind::traced && debug_log::wants(debug_log::LEVEL_TRACE)) trace_.add("\n");
}

export_entry::export_entry(const char* name, const char* arguments, ...) : name_(name), kind_(entry_kind::traced)
{
    if (!debug_log::wants(debug_log::LEVEL_TRACE)) return;
    trace_.add("\n%s\t: ", name);
    va_list args;
    va_start(args, arguments);
    trace_.vadd(arguments, args);
    va_end(args);
}

export_entry::export_entry(const char* name, same_line_t, const char* arguments, ...)
    : name_(name), kind_(entry_kind::traced)
{
    if (!debug_log::wants(debug_log::LEVEL_TRACE)) return;
    va_list args;
    va_start(args, arguments);
    trace_.vadd(arguments, args);
    va_end(args);
}

void export_entry::enter() const
{
    attach_calling_thread();
    if (kind_ != entry_kind::keeps_error) thread_errors::set(0);
    if (trace_.size() != 0) {
        char stamp[64];
        debug_log::line(debug_log::LEVEL_TRACE, "%s\t: enter %s%s", name_, debug_log::trace_stamp(stamp),
                        trace_.c_str());
    }
}

void export_entry::trace(const char* format, ...) const
{
    if (!debug_log::wants(debug_log::LEVEL_TRACE)) return;
    debug_log::text_buffer<TRACE_CHARS> text;
    text.add("%s\t: ", name_);
    va_list args;
    va_start(args, format);
    text.vadd(format, args);
    va_end(args);
    debug_log::write(debug_log::LEVEL_TRACE, text.c_str(), text.size());
}

void export_entry::failed_by_exception(std::uint32_t os_error) const noexcept
{
    try {
        thread_errors::set(DLL_ERROR_SYSTEM);
        debug_log::error_entry(name_, debug_log::MODULE_EXPORTS, __LINE__, DLL_ERROR_SYSTEM);
        debug_log::errmsg_system(os_error);
    } catch (...) {
        // The error stands even when it cannot be logged.
    }
    plat::set_last_error(os_error);
}

// ---- Failures ---------------------------------------------------------------------

bool argument_failed(const export_entry& entry, int place, std::uint32_t argument_bit)
{
    const std::uint32_t code = argument_bit | DLL_ERROR_ARGUMENT;
    thread_errors::set(code);
    debug_log::error_entry(entry.name(), debug_log::MODULE_EXPORTS, place, code);
    debug_log::errmsg_argument(argument_bit);
    return false;
}

void export_failed(const char* funcname, int place, std::uint32_t code)
{
    thread_errors::set(code);
    debug_log::error_entry(funcname, debug_log::MODULE_EXPORTS, place, code);
}

void inner_failed(const char* funcname, int place)
{
    export_failed(funcname, place, thread_errors::get() | DLL_ERROR_PASSED_UP);
}

void inner_step_failed(const char* funcname, int place, const char* step)
{
    inner_failed(funcname, place);
    debug_log::called(step);
}

bool send_request(const export_entry& entry, std::uint8_t controller, std::uint32_t control_code,
                  work_record& record)
{
    if (execute_request(controller, control_code, record)) return true;
    inner_failed(entry.name(), __LINE__);
    return false;
}

// ---- Checks -----------------------------------------------------------------------

bool check_controller_range(const export_entry& entry, std::uint8_t controller)
{
    if (controller >= MAX_CONTROLLERS) return argument_failed(entry, __LINE__, DLL_ARG_ERROR_CONTNO);
    return true;
}

bool check_controller(const export_entry& entry, std::uint8_t controller)
{
    if (!check_controller_range(entry, controller)) return false;
    if (find_slot(controller)->state != SLOT_PRESENT) {
        return argument_failed(entry, __LINE__, DLL_ARG_ERROR_NO_SUCH_CONTROLLER);
    }
    return true;
}

bool check_group(const export_entry& entry, std::uint8_t group)
{
    if (group >= MAX_GROUPS) return argument_failed(entry, __LINE__, DLL_ARG_ERROR_GROUPNO);
    return true;
}

bool check_drive(const export_entry& entry, std::uint8_t drive)
{
    if (drive >= MAX_HDDS) return argument_failed(entry, __LINE__, DLL_ARG_ERROR_HDDNO);
    return true;
}

bool check_pointer(const export_entry& entry, const void* pointer)
{
    if (pointer == nullptr) return argument_failed(entry, __LINE__, DLL_ARG_ERROR_NULL);
    return true;
}

bool check_priority(const export_entry& entry, std::uint8_t priority)
{
    if (priority < PRIORITY_HIGH || priority > PRIORITY_LOW) {
        return argument_failed(entry, __LINE__, DLL_ARG_ERROR_PRIORITY);
    }
    return true;
}

bool check_group_defined(const export_entry& entry, std::uint8_t controller, std::uint8_t group)
{
    RaidStatus status;
    if (getRaidStatus(controller, &status) == 0) {
        inner_step_failed(entry.name(), __LINE__, "getRaidStatus");
        return false;
    }
    if (status.ld_state[group] == ABSENT) {
        export_failed(entry.name(), __LINE__, DLL_ERROR_GROUP_NOT_DEFINED);
        return false;
    }
    return true;
}

} // namespace zan
