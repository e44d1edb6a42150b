// Devices of the hosted build: the simulated machine answers every path.
#include "plat/device.h"

#include "plat/error.h"
#include "sim/device.h"

#include <new>

namespace plat {

device::~device()
{
    close();
}

bool device::open(const char* path)
{
    close();
    if (path == nullptr) {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    sim::device_ref ref;
    if (const std::uint32_t code = sim::open_device(path, ref); code != ERR_SUCCESS) {
        set_last_error(code);
        return false;
    }
    handle_ = new (std::nothrow) sim::device_ref(ref);
    if (handle_ == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

bool device::control(std::uint32_t code, const void* in, std::uint32_t in_size, void* out, std::uint32_t out_size,
                     std::uint32_t* returned)
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    const std::uint32_t result =
        sim::device_control(*static_cast<const sim::device_ref*>(handle_), code, in, in_size, out, out_size, returned);
    if (result != ERR_SUCCESS) {
        set_last_error(result);
        return false;
    }
    return true;
}

bool device::pass_through(const scsi_request& request, scsi_result& result)
{
    result = {};
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    const std::uint32_t code =
        sim::device_pass_through(*static_cast<const sim::device_ref*>(handle_), request, result);
    if (code != ERR_SUCCESS) {
        set_last_error(code);
        return false;
    }
    return true;
}

bool device::is_open() const
{
    return handle_ != nullptr;
}

void device::close()
{
    delete static_cast<sim::device_ref*>(handle_);
    handle_ = nullptr;
}

} // namespace plat
