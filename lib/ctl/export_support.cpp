#include "export_support.h"

#include "controller_table.h"
#include "debug_log.h"
#include "thread_errors.h"
#include "zandllctl.h"

namespace zan {
namespace {

// Rebuild priorities and patrol-read delays: 1 High, 2 Middle, 3 Low.
constexpr std::uint8_t PRIORITY_HIGH = 1;
constexpr std::uint8_t PRIORITY_LOW = 3;

} // namespace

bool argument_failed(const char* funcname, int place, std::uint32_t argument_bit)
{
    const std::uint32_t code = argument_bit | DLL_ERROR_ARGUMENT;
    thread_errors::set(code);
    debug_log::error_entry(funcname, debug_log::MODULE_EXPORTS, place, code);
    debug_log::errmsg_argument(argument_bit);
    return false;
}

void enter_export()
{
    attach_calling_thread();
    thread_errors::set(0);
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

bool send_request(const char* funcname, std::uint8_t controller, std::uint32_t control_code, work_record& record)
{
    if (execute_request(controller, control_code, record)) return true;
    inner_failed(funcname, __LINE__);
    return false;
}

bool check_controller_range(const char* funcname, std::uint8_t controller)
{
    if (controller >= MAX_CONTROLLERS) return argument_failed(funcname, __LINE__, DLL_ARG_ERROR_CONTNO);
    return true;
}

bool check_controller(const char* funcname, std::uint8_t controller)
{
    if (!check_controller_range(funcname, controller)) return false;
    if (find_slot(controller)->state != SLOT_PRESENT) {
        return argument_failed(funcname, __LINE__, DLL_ARG_ERROR_NO_SUCH_CONTROLLER);
    }
    return true;
}

bool check_group(const char* funcname, std::uint8_t group)
{
    if (group >= MAX_GROUPS) return argument_failed(funcname, __LINE__, DLL_ARG_ERROR_GROUPNO);
    return true;
}

bool check_drive(const char* funcname, std::uint8_t drive)
{
    if (drive >= MAX_HDDS) return argument_failed(funcname, __LINE__, DLL_ARG_ERROR_HDDNO);
    return true;
}

bool check_pointer(const char* funcname, const void* pointer)
{
    if (pointer == nullptr) return argument_failed(funcname, __LINE__, DLL_ARG_ERROR_NULL);
    return true;
}

bool check_priority(const char* funcname, std::uint8_t priority)
{
    if (priority < PRIORITY_HIGH || priority > PRIORITY_LOW) {
        return argument_failed(funcname, __LINE__, DLL_ARG_ERROR_PRIORITY);
    }
    return true;
}

bool check_group_defined(const char* funcname, std::uint8_t controller, std::uint8_t group)
{
    RaidStatus status;
    if (getRaidStatus(controller, &status) == 0) {
        inner_step_failed(funcname, __LINE__, "getRaidStatus");
        return false;
    }
    if (status.ld_state[group] == ABSENT) {
        export_failed(funcname, __LINE__, DLL_ERROR_GROUP_NOT_DEFINED);
        return false;
    }
    return true;
}

} // namespace zan
