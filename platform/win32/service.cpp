// Service mechanics through the Service Control Manager.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/service.h"

namespace plat {

namespace {

void (*running_main)() = nullptr;
void (*running_handler)(std::uint32_t) = nullptr;

void WINAPI service_entry(DWORD, LPSTR*)
{
    running_main();
}

void WINAPI handler_entry(DWORD control)
{
    running_handler(control);
}

} // namespace

bool run_service_dispatcher(const char* name, void (*service_main)())
{
    running_main = service_main;
    char service_name[257] = {};
    lstrcpynA(service_name, name, sizeof service_name);
    SERVICE_TABLE_ENTRYA table[] = {{service_name, service_entry}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) != FALSE;
}

service_status_handle register_control_handler(const char* name, void (*handler)(std::uint32_t control))
{
    running_handler = handler;
    return reinterpret_cast<service_status_handle>(RegisterServiceCtrlHandlerA(name, handler_entry));
}

bool set_service_status(service_status_handle handle, const service_status& status)
{
    SERVICE_STATUS s{};
    s.dwServiceType = status.service_type;
    s.dwCurrentState = status.current_state;
    s.dwControlsAccepted = status.controls_accepted;
    s.dwWin32ExitCode = status.win32_exit_code;
    s.dwServiceSpecificExitCode = status.service_exit_code;
    s.dwCheckPoint = status.check_point;
    s.dwWaitHint = status.wait_hint;
    return SetServiceStatus(reinterpret_cast<SERVICE_STATUS_HANDLE>(handle), &s) != FALSE;
}

} // namespace plat
