#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "../installer_system.h"

namespace setup {

namespace {

// Closes a service control manager handle on every path.
struct service_handle {
    SC_HANDLE handle;
    ~service_handle()
    {
        if (handle != nullptr) CloseServiceHandle(handle);
    }
};

} // namespace

void stop_service(const char* name)
{
    const service_handle manager{OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_ALL_ACCESS)};
    if (manager.handle == nullptr) return;
    const service_handle service{OpenServiceA(manager.handle, name, SERVICE_ALL_ACCESS)};
    SERVICE_STATUS status{};
    if (service.handle == nullptr || !QueryServiceStatus(service.handle, &status)) return;
    if (status.dwCurrentState == SERVICE_RUNNING) ControlService(service.handle, SERVICE_CONTROL_STOP, &status);
}

bool run_through_shell(const char* command, std::uint32_t& exit_code)
{
    char comspec[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    const std::string shell = length == 0 || length >= sizeof comspec ? "cmd.exe" : std::string(comspec, length);
    std::string line = "\"" + shell + "\" /c " + command;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const BOOL known = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    exit_code = code;
    return known != FALSE;
}

} // namespace setup
