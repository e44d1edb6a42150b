// What the simulated machine's disk devices answer: the identity a storage
// property query gives, the drive layout, the SCSI address, and where a
// SCSI pass-through goes (the RAID disk of the logical drive's adapter).
#ifndef SIM_ENGINE_DISK_H
#define SIM_ENGINE_DISK_H

#include <cstdint>
#include <string>
#include <vector>

#include "model.h"
#include "plat/device.h"
#include "storage.h"

namespace sim {

// A logical drive's disk shows the maker, the adapter's model with "RAID"
// and the firmware revision, as the adapter's RAID disk answers INQUIRY.
inline constexpr char RAID_DISK_VENDOR[] = "MERIDAN";
inline constexpr char RAID_DISK_PRODUCT_SUFFIX[] = " RAID";

struct disk_identity {
    std::string vendor;   // 8 characters, blank-padded
    std::string product;  // 16 characters, blank-padded
    std::string revision; // 4 characters, blank-padded
    std::string serial;
    std::uint32_t bus_type = 0;
};

disk_identity logical_disk_identity(const adapter& a, std::size_t logical);
disk_identity system_disk_identity();

// The answer of IOCTL_STORAGE_QUERY_PROPERTY (standard device property):
// STORAGE_DEVICE_DESCRIPTOR with the texts after it.
std::vector<std::uint8_t> device_descriptor(const disk_identity& id);

// What lies on a disk: its signature, its size, whether it is dynamic and
// how many volumes (partitions of a basic disk) it carries.
struct disk_contents {
    std::uint32_t signature = 0;
    std::uint64_t size_bytes = 0;
    bool dynamic = false;
    std::size_t volumes = 0;
};

disk_contents logical_disk_contents(const adapter& a, std::size_t logical);
disk_contents system_disk_contents(std::uint32_t port);

// The answer of IOCTL_DISK_GET_DRIVE_LAYOUT: DRIVE_LAYOUT_INFORMATION. A disk
// with partitions lists them in entries of four, as a partition table holds
// them (unused entries zero); a dynamic disk has one LDM partition over the
// whole disk; a basic disk without volumes has none.
std::vector<std::uint8_t> drive_layout(const disk_contents& disk);

// IOCTL_SCSI_GET_ADDRESS of a disk or volume at `where`: its port, path 0,
// its target, LUN 0. Returns 0 or a Windows error code.
[[nodiscard]] std::uint32_t answer_address(const volume_location& where, void* out, std::uint32_t out_size,
                                           std::uint32_t* returned);

// One DeviceIoControl on the disk at `where`, as the disk's driver answers
// it: the SCSI address, the storage device property and the drive layout.
// A disk whose logical drive went away fails with 1117.
[[nodiscard]] std::uint32_t disk_control(const volume_location& where, std::uint32_t code, const void* in,
                                         std::uint32_t in_size, void* out, std::uint32_t out_size,
                                         std::uint32_t* returned);

// A SCSI pass-through that reaches the adapter on `port`'s RAID disk, with
// the SCSI address the request carries (pass_through.cpp). Returns 0 when the
// command was carried or the Windows error code with which the call fails.
[[nodiscard]] std::uint32_t raid_disk_pass_through(std::uint32_t port, const plat::scsi_request& request,
                                                   plat::scsi_result& result);

} // namespace sim

#endif
