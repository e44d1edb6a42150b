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

// Events and threads.
namespace plat {

namespace {

wait_result wait_on(HANDLE handle, std::uint32_t timeout_ms)
{
    switch (WaitForSingleObject(handle, timeout_ms)) {
    case WAIT_OBJECT_0: return wait_result::signalled;
    case WAIT_TIMEOUT: return wait_result::timeout;
    default: return wait_result::failed;
    }
}

struct thread_start {
    void (*run)(void*);
    void* argument;
};

DWORD WINAPI thread_entry(LPVOID parameter)
{
    const thread_start start = *static_cast<thread_start*>(parameter);
    delete static_cast<thread_start*>(parameter);
    start.run(start.argument);
    return 0;
}

} // namespace

event::~event()
{
    close();
}

bool event::create(const char* name, bool initially_signalled)
{
    close();
    handle_ = CreateEventA(nullptr, FALSE, initially_signalled ? TRUE : FALSE, name);
    return handle_ != nullptr;
}

bool event::set()
{
    return SetEvent(handle_) != FALSE;
}

wait_result event::wait(std::uint32_t timeout_ms)
{
    return wait_on(handle_, timeout_ms);
}

void event::close()
{
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
}

bool event::is_open() const
{
    return handle_ != nullptr;
}

thread::~thread()
{
    close();
}

bool thread::start(void (*run)(void* argument), void* argument)
{
    close();
    auto* start = new thread_start{run, argument};
    handle_ = CreateThread(nullptr, 0, thread_entry, start, 0, nullptr);
    if (handle_ == nullptr) delete start;
    return handle_ != nullptr;
}

wait_result thread::wait(std::uint32_t timeout_ms)
{
    return wait_on(handle_, timeout_ms);
}

void thread::close()
{
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
}

bool thread::is_open() const
{
    return handle_ != nullptr;
}

} // namespace plat
