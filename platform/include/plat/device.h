// Device access: open a device path, DeviceIoControl, close; and a typed
// SCSI pass-through, whose request carries a data buffer by address and so
// cannot travel as the bytes of a raw control call.
#ifndef PLAT_DEVICE_H
#define PLAT_DEVICE_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace plat {

// The data phase of a pass-through, numbered as the Windows DataIn field.
enum class scsi_direction : std::uint8_t { out = 0, in = 1, none = 2 };

inline constexpr std::size_t SCSI_CDB_MAX = 16;
inline constexpr std::size_t SCSI_SENSE_MAX = 255;

struct scsi_request {
    std::span<const std::uint8_t> cdb;  // 1 to 16 bytes
    scsi_direction direction = scsi_direction::none;
    std::span<std::uint8_t> data;       // sent (out) or filled (in); empty for none
    std::span<std::uint8_t> sense;      // receives the sense data, at most 255 bytes
    std::uint32_t timeout_seconds = 60;
    // The SCSI address of the unit (IOCTL_SCSI_GET_ADDRESS of the device);
    // a disk device's own driver puts its address in on the way down.
    std::uint8_t path_id = 0;
    std::uint8_t target_id = 0;
    std::uint8_t lun = 0;
};

struct scsi_result {
    std::uint8_t status = 0;            // SCSI status byte (0 GOOD, 2 CHECK CONDITION)
    std::uint32_t transferred = 0;      // data bytes moved
    std::uint32_t sense_length = 0;     // sense bytes written
};

// A request every backend can carry: a CDB of 1 to 16 bytes, a sense buffer
// the length byte can describe, and data exactly when a direction says so.
constexpr bool well_formed(const scsi_request& request)
{
    return !request.cdb.empty() && request.cdb.size() <= SCSI_CDB_MAX && request.sense.size() <= SCSI_SENSE_MAX &&
           (request.direction == scsi_direction::none) == request.data.empty();
}

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

    // IOCTL_SCSI_PASS_THROUGH_DIRECT on an open disk or port device. The call
    // fails (false, last_error() set) when the request is not well formed or
    // the device refuses it; a command that completes with any SCSI status is
    // a success, its status and sense in `result`.
    [[nodiscard]] bool pass_through(const scsi_request& request, scsi_result& result);

    bool is_open() const;
    void close();

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
