// Processes through SearchPath and CreateProcess.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

#include "plat/process.h"

namespace plat {

bool search_executable(const char* file_name, std::string& full_path)
{
    char path[MAX_PATH] = {};
    const DWORD length = SearchPathA(nullptr, file_name, nullptr, MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    full_path.assign(path, length);
    return true;
}

process::~process()
{
    close();
}

bool process::create(const std::string& command_line)
{
    close();
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &info) == FALSE) {
        return false;
    }
    CloseHandle(info.hThread);
    handle_ = info.hProcess;
    return true;
}

wait_result process::wait(std::uint32_t timeout_ms)
{
    switch (WaitForSingleObject(handle_, timeout_ms)) {
    case WAIT_OBJECT_0: return wait_result::signalled;
    case WAIT_TIMEOUT: return wait_result::timeout;
    default: return wait_result::failed;
    }
}

void process::close()
{
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
}

} // namespace plat
