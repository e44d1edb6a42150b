#include "command.h"

#include <algorithm>
#include <cstring>

#include "pass_device.h"
#include "plat/error.h"
#include "plat/sync.h"
#include "request_rules.h"
#include "transfer_buffer.h"

namespace zan::pth {

namespace {

constexpr char PASS_THROUGH_MUTEX[] = "Mutex";
constexpr std::uint32_t TIMEOUT_SECONDS = 60;
constexpr std::size_t SENSE_AREA = 48;

plat::scsi_direction direction_of(std::uint8_t direction, std::uint32_t length)
{
    if (length == 0) return plat::scsi_direction::none;
    switch (direction) {
    case ZANPAS_DATA_OUT: return plat::scsi_direction::out;
    case ZANPAS_DATA_IN: return plat::scsi_direction::in;
    default: return plat::scsi_direction::none; // the device refuses data without a direction
    }
}

// Holds the pass-through lock for one command; closes it on every path.
class pass_through_lock {
public:
    ~pass_through_lock()
    {
        if (owned_) (void)mutex_.release();
        if (mutex_.is_open()) (void)mutex_.close();
    }
    enum class outcome { held, in_use, failed };
    outcome take()
    {
        bool existed = false;
        if (!mutex_.create(PASS_THROUGH_MUTEX, true, existed)) return outcome::failed;
        if (existed) return outcome::in_use;
        owned_ = true;
        return outcome::held;
    }

private:
    plat::named_mutex mutex_;
    bool owned_ = false;
};

} // namespace

int run_command(ZanPasRequest& request, void* data, std::uint32_t& length, char* out, std::uint32_t& out_size)
{
    if (const std::optional<int> refused = check_request(request, out)) return *refused;

    const bool raid_disk = request_u32(request.target) == ZANPAS_TARGET_RAID_DISK;
    plat::device disk;
    if (!(raid_disk ? open_raid_disk(disk) : open_disk(disk, request.disk_number))) {
        write_step_text(out, out_size, raid_disk ? "ZanPasDevOpen" : "ZanPasDriveOpen", plat::last_error());
        return ZANPAS_OPEN_FAILED;
    }
    scsi_unit unit;
    if (!query_address(disk, unit)) {
        write_step_text(out, out_size, "ZanPasGetDriveNumInf", plat::last_error());
        return ZANPAS_OPEN_FAILED;
    }
    transfer_buffer buffer;
    if (length != 0) {
        if (!buffer.allocate(length)) {
            write_error_text(out, out_size, plat::last_error());
            return ZANPAS_NO_MEMORY;
        }
        if (request.direction == ZANPAS_DATA_OUT) std::memcpy(buffer.bytes().data(), data, length);
    }

    std::uint8_t sense[SENSE_AREA] = {};
    const plat::scsi_request command{.cdb = std::span<const std::uint8_t>(request.cdb, request.cdb_length[0]),
                                     .direction = direction_of(request.direction, length),
                                     .data = buffer.bytes(),
                                     .sense = sense,
                                     .timeout_seconds = TIMEOUT_SECONDS,
                                     .path_id = unit.path_id,
                                     .target_id = unit.target_id,
                                     .lun = unit.lun};
    plat::scsi_result result;
    {
        pass_through_lock lock;
        switch (lock.take()) {
        case pass_through_lock::outcome::held: break;
        case pass_through_lock::outcome::in_use: return ZANPAS_BUSY;
        case pass_through_lock::outcome::failed:
            write_step_text(out, out_size, "CreateMutex", plat::last_error());
            return ZANPAS_OPEN_FAILED;
        }
        if (!disk.pass_through(command, result)) {
            write_error_text(out, out_size, plat::last_error());
            return ZANPAS_IO_FAILED;
        }
    }

    if (length == 0) {
        request.scsi_status = result.status;
        return ZANPAS_OK;
    }
    if (result.status == 0) {
        if (request.direction == ZANPAS_DATA_IN) {
            length = std::min(result.transferred, length);
            std::memcpy(data, buffer.bytes().data(), length);
        }
        return ZANPAS_OK;
    }
    request.scsi_status = result.status;
    copy_sense(sense, result.sense_length, out, out_size);
    return ZANPAS_SCSI_STATUS;
}

} // namespace zan::pth
