// Device access: SCSI port and disk devices through DeviceIoControl.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/device.h"

namespace plat {

device::~device()
{
    close();
}

bool device::open(const char* path)
{
    close();
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    handle_ = handle;
    return true;
}

bool device::control(std::uint32_t code, const void* in, std::uint32_t in_size, void* out, std::uint32_t out_size,
                     std::uint32_t* returned)
{
    if (handle_ == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    // DeviceIoControl needs somewhere to put the byte count of a synchronous call.
    DWORD count = 0;
    const BOOL ok = DeviceIoControl(handle_, code, const_cast<void*>(in), in_size, out, out_size, &count, nullptr);
    if (returned != nullptr)
        *returned = count;
    return ok != FALSE;
}

bool device::is_open() const
{
    return handle_ != nullptr;
}

void device::close()
{
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

} // namespace plat
