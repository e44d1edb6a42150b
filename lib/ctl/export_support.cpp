#include "export_support.h"

#include "controller_table.h"
#include "debug_log.h"
#include "thread_errors.h"
#include "zandllctl.h"

namespace zan {
namespace {

bool argument_failed(const char* funcname, int place, std::uint32_t argument_bit)
{
    const std::uint32_t code = argument_bit | DLL_ERROR_ARGUMENT;
    thread_errors::set(code);
    debug_log::error_entry(funcname, debug_log::MODULE_EXPORTS, place, code);
    debug_log::errmsg_argument(argument_bit);
    return false;
}

} // namespace

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

} // namespace zan
