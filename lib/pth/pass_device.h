// The device a pass-through goes to: the adapter's RAID disk (the first of
// \\.\PHYSICALDRIVE0-15 whose product identification contains "RAID") or a
// disk by number, and the SCSI address the storage stack gives it.
#ifndef ZANDLLPTH_PASS_DEVICE_H
#define ZANDLLPTH_PASS_DEVICE_H

#include <cstdint>
#include <span>

#include "plat/device.h"

namespace zan::pth {

inline constexpr std::uint32_t DISKS_SEARCHED = 16;

// Whether a STORAGE_DEVICE_DESCRIPTOR answer (the bytes returned) names a
// product identification that contains "RAID". Offsets that lead outside
// the answer name nothing.
[[nodiscard]] bool describes_raid_disk(std::span<const std::uint8_t> descriptor);

// Opens the RAID disk, or false with the system's last error set.
[[nodiscard]] bool open_raid_disk(plat::device& disk);
// Opens \\.\PHYSICALDRIVE<number>.
[[nodiscard]] bool open_disk(plat::device& disk, std::uint8_t number);

struct scsi_unit {
    std::uint8_t path_id = 0;
    std::uint8_t target_id = 0;
    std::uint8_t lun = 0;
};

// IOCTL_SCSI_GET_ADDRESS on the opened device.
[[nodiscard]] bool query_address(plat::device& disk, scsi_unit& unit);

} // namespace zan::pth

#endif
