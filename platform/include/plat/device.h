// Device access: open a device path, DeviceIoControl, close.
#ifndef PLAT_DEVICE_H
#define PLAT_DEVICE_H

#include <cstdint>

namespace plat {

class device {
public:
    device() = default;
    ~device();
    device(const device&) = delete;
    device& operator=(const device&) = delete;

    // Opens an existing device ("\\\\.\\Scsi2:", "\\\\.\\PHYSICALDRIVE1") for
    // reading and writing, shared for reading and writing. On failure returns
    // false with last_error() set (ERR_FILE_NOT_FOUND for an absent device).
    [[nodiscard]] bool open(const char* path);

    // DeviceIoControl. On failure returns false with last_error() set.
    [[nodiscard]] bool control(std::uint32_t code, const void* in, std::uint32_t in_size, void* out,
                               std::uint32_t out_size, std::uint32_t* returned);

    bool is_open() const;
    void close();

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
