// Disk devices ("\\\\.\\PHYSICALDRIVEn"): the control codes the programs send
// to a disk and the Windows layouts of their answers, byte for byte (every
// record has alignment 1 and the 32-bit Windows size). A disk also answers
// IOCTL_SCSI_GET_ADDRESS (plat/volumes.h) and SCSI pass-through
// (plat::device::pass_through).
#ifndef PLAT_DISK_H
#define PLAT_DISK_H

#include <cstddef>
#include <cstdint>

namespace plat {

inline constexpr char PHYSICAL_DRIVE_PREFIX[] = "\\\\.\\PHYSICALDRIVE";

inline constexpr std::uint32_t IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;
inline constexpr std::uint32_t IOCTL_DISK_GET_DRIVE_LAYOUT = 0x0007400C;
inline constexpr std::uint32_t IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x0004D014;

// STORAGE_PROPERTY_QUERY: which property, which kind of query.
inline constexpr std::uint32_t STORAGE_DEVICE_PROPERTY = 0; // StorageDeviceProperty
inline constexpr std::uint32_t PROPERTY_STANDARD_QUERY = 0; // PropertyStandardQuery

struct storage_property_query {
    std::uint8_t property_id[4]; // little-endian u32
    std::uint8_t query_type[4];  // little-endian u32
    std::uint8_t additional_parameters[4];
};
static_assert(sizeof(storage_property_query) == 12);
static_assert(offsetof(storage_property_query, query_type) == 4);

// STORAGE_DEVICE_DESCRIPTOR; the texts follow it, each ending in a zero byte,
// at the offsets it gives (0 for a text the device does not have).
struct storage_device_descriptor {
    std::uint8_t version[4];
    std::uint8_t size[4]; // the whole descriptor with its texts
    std::uint8_t device_type;
    std::uint8_t device_type_modifier;
    std::uint8_t removable_media;
    std::uint8_t command_queueing;
    std::uint8_t vendor_id_offset[4];
    std::uint8_t product_id_offset[4];
    std::uint8_t product_revision_offset[4];
    std::uint8_t serial_number_offset[4];
    std::uint8_t bus_type[4];
    std::uint8_t raw_properties_length[4];
    std::uint8_t raw_device_properties[4];
};
static_assert(sizeof(storage_device_descriptor) == 40);
static_assert(offsetof(storage_device_descriptor, device_type) == 8);
static_assert(offsetof(storage_device_descriptor, vendor_id_offset) == 12);
static_assert(offsetof(storage_device_descriptor, product_id_offset) == 16);
static_assert(offsetof(storage_device_descriptor, product_revision_offset) == 20);
static_assert(offsetof(storage_device_descriptor, serial_number_offset) == 24);
static_assert(offsetof(storage_device_descriptor, bus_type) == 28);
static_assert(offsetof(storage_device_descriptor, raw_properties_length) == 32);
static_assert(offsetof(storage_device_descriptor, raw_device_properties) == 36);

// STORAGE_BUS_TYPE values.
inline constexpr std::uint32_t BUS_TYPE_ATA = 0x03;
inline constexpr std::uint32_t BUS_TYPE_RAID = 0x08;

// PARTITION_INFORMATION, one entry of the drive layout.
struct partition_information {
    std::uint8_t starting_offset[8];  // little-endian, bytes
    std::uint8_t partition_length[8]; // little-endian, bytes
    std::uint8_t hidden_sectors[4];
    std::uint8_t partition_number[4];
    std::uint8_t partition_type;
    std::uint8_t boot_indicator;
    std::uint8_t recognized_partition;
    std::uint8_t rewrite_partition;
    std::uint8_t reserved[4]; // the structure's alignment padding
};
static_assert(sizeof(partition_information) == 32);
static_assert(offsetof(partition_information, partition_length) == 8);
static_assert(offsetof(partition_information, hidden_sectors) == 16);
static_assert(offsetof(partition_information, partition_number) == 20);
static_assert(offsetof(partition_information, partition_type) == 24);
static_assert(offsetof(partition_information, boot_indicator) == 25);

// DRIVE_LAYOUT_INFORMATION: the count, the disk signature, then the entries.
struct drive_layout_information {
    std::uint8_t partition_count[4];
    std::uint8_t signature[4];
    partition_information partition_entry[1];
};
static_assert(sizeof(drive_layout_information) == 40);
static_assert(offsetof(drive_layout_information, signature) == 4);
static_assert(offsetof(drive_layout_information, partition_entry) == 8);

// Partition types (named apart from the Windows headers' macros).
inline constexpr std::uint8_t PARTITION_TYPE_IFS = 0x07; // a basic disk's NTFS volume
inline constexpr std::uint8_t PARTITION_TYPE_LDM = 0x42; // a dynamic disk

} // namespace plat

#endif
