// Device access: SCSI port and disk devices through DeviceIoControl.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstring>

#include "plat/device.h"

namespace plat {

namespace {

// SCSI_PASS_THROUGH_DIRECT with the sense area after it, in one buffer that
// goes down and comes back; the filler keeps the sense area aligned.
struct pass_through_buffer {
    SCSI_PASS_THROUGH_DIRECT header;
    ULONG filler;
    UCHAR sense[SCSI_SENSE_MAX];
};
#if !defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44);
static_assert(offsetof(pass_through_buffer, sense) == 48);
#endif

} // namespace

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

bool device::pass_through(const scsi_request& request, scsi_result& result)
{
    result = {};
    if (handle_ == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!well_formed(request)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    pass_through_buffer buffer{};
    SCSI_PASS_THROUGH_DIRECT& header = buffer.header;
    header.Length = sizeof header;
    header.PathId = request.path_id;
    header.TargetId = request.target_id;
    header.Lun = request.lun;
    header.CdbLength = static_cast<UCHAR>(request.cdb.size());
    header.SenseInfoLength = static_cast<UCHAR>(request.sense.size());
    header.DataIn = static_cast<UCHAR>(request.direction);
    header.DataTransferLength = static_cast<ULONG>(request.data.size());
    header.TimeOutValue = request.timeout_seconds;
    header.DataBuffer = request.data.empty() ? nullptr : request.data.data();
    header.SenseInfoOffset = offsetof(pass_through_buffer, sense);
    std::memcpy(header.Cdb, request.cdb.data(), request.cdb.size());

    const DWORD size = static_cast<DWORD>(offsetof(pass_through_buffer, sense) + request.sense.size());
    DWORD count = 0;
    if (!DeviceIoControl(handle_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &buffer, size, &buffer, size, &count, nullptr)) {
        return false;
    }
    result.status = header.ScsiStatus;
    result.transferred = header.DataTransferLength;
    // The port reports how much sense it wrote; never more than was asked for.
    const auto asked = static_cast<std::uint32_t>(request.sense.size());
    result.sense_length = header.SenseInfoLength < asked ? header.SenseInfoLength : asked;
    if (result.sense_length > 0) std::memcpy(request.sense.data(), buffer.sense, result.sense_length);
    return true;
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
