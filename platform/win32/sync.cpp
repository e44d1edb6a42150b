// Named mutexes and sleeping.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/sync.h"

namespace plat {

named_mutex::~named_mutex()
{
    if (handle_ != nullptr)
        CloseHandle(handle_);
}

bool named_mutex::create(const char* name, bool initial_owner, bool& already_existed)
{
    already_existed = false;
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE handle = CreateMutexA(nullptr, initial_owner ? TRUE : FALSE, name);
    if (handle == nullptr)
        return false;
    // CreateMutex succeeds on an existing mutex and says so in the last error,
    // which stays set for callers that look at it.
    already_existed = GetLastError() == ERROR_ALREADY_EXISTS;
    handle_ = handle;
    return true;
}

bool named_mutex::release()
{
    return ReleaseMutex(handle_) != FALSE;
}

bool named_mutex::close()
{
    if (CloseHandle(handle_) == FALSE)
        return false;
    handle_ = nullptr;
    return true;
}

bool named_mutex::is_open() const
{
    return handle_ != nullptr;
}

void sleep_ms(std::uint32_t milliseconds)
{
    Sleep(milliseconds);
}

} // namespace plat
