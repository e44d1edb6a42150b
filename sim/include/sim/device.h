// The simulated devices as the hosted device facility reaches them: the
// adapters' SCSI port devices and the disks and volumes of the storage stack.
#ifndef SIM_DEVICE_H
#define SIM_DEVICE_H

#include <cstdint>
#include <string>
#include <vector>

#include "plat/device.h"

namespace sim {

struct device_ref {
    enum class kind { scsi_port, volume, disk, system_disk };
    kind type = kind::scsi_port;
    // port number (scsi_port, disk, system_disk) or drive letter 'A'-'Z' (volume)
    int number = -1;
    std::uint8_t target = 0; // disk: its logical drive
};

// Resolves a device path of the simulated machine ("\\\\.\\Scsi2:",
// "\\\\.\\PHYSICALDRIVE0", "\\\\.\\D:"). Returns 0 on success or a
// Windows error code (2 when no simulated device answers to the path).
[[nodiscard]] std::uint32_t open_device(const char* path, device_ref& out);

// One DeviceIoControl on an opened device, as the driver answers it. Returns 0
// when the call succeeds (the answer is in `out`) or the Windows error code
// with which the call fails.
[[nodiscard]] std::uint32_t device_control(const device_ref& device, std::uint32_t code, const void* in,
                                           std::uint32_t in_size, void* out, std::uint32_t out_size,
                                           std::uint32_t* returned);

// A SCSI pass-through on an opened device, as the storage stack and the
// device behind it answer it: on a port device the adapter's RAID disk with
// the address the request gives, on a logical drive's disk the same RAID
// disk with the disk's own address. The system disk and volumes refuse it.
// Returns 0 when the command was carried (its SCSI status, data and sense in
// `result` and the request's buffers) or the Windows error code with which
// the call fails.
[[nodiscard]] std::uint32_t device_pass_through(const device_ref& device, const plat::scsi_request& request,
                                                plat::scsi_result& result);

// The drive letters of the simulated machine's volumes, bit 0 for A:: the
// system volume C: and every volume on a logical drive.
std::uint32_t volume_mask();

// The names of the simulated machine's volumes as volume enumeration gives
// them ("\\\\?\\Volume{5a4e0002-0001-0000-0000-000000000045}\\": port, logical
// drive and letter in the name).
std::vector<std::string> volume_names();

} // namespace sim

#endif
