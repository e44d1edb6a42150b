#include "disk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "plat/disk.h"
#include "plat/error.h"
#include "plat/volumes.h"
#include "raid.h"
#include "sim/root.h"
#include "store.h"
#include "zanbytes.h"

namespace sim {

namespace {

constexpr std::uint64_t MIB = 1024 * 1024;
// Partitions start at 1 MiB and take whole MiB.
constexpr std::uint64_t FIRST_PARTITION_OFFSET = MIB;
constexpr std::size_t ENTRIES_PER_TABLE = 4;
constexpr std::uint64_t SYSTEM_DISK_BYTES = 160000 * MIB;
constexpr std::uint32_t SIGNATURE_BASE = 0x5A4E0000;
constexpr std::uint8_t SYSTEM_DISK_TARGET_MARK = 0xFF;

std::string padded(const std::string& text, std::size_t width)
{
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

void store_le64(std::uint8_t* p, std::uint64_t v)
{
    zan::store_le32(p, static_cast<std::uint32_t>(v));
    zan::store_le32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

std::uint32_t signature_of(std::uint32_t port, std::uint8_t target)
{
    return SIGNATURE_BASE | ((port & 0xFF) << 8) | target;
}

void fill_partition(plat::partition_information& p, std::uint64_t offset, std::uint64_t length, std::uint32_t number,
                    std::uint8_t type)
{
    store_le64(p.starting_offset, offset);
    store_le64(p.partition_length, length);
    zan::store_le32(p.hidden_sectors, static_cast<std::uint32_t>(offset / 512));
    zan::store_le32(p.partition_number, number);
    p.partition_type = type;
    p.recognized_partition = 1;
}

// Copies an answer into the caller's buffer: all of it, or the insufficient
// buffer error.
std::uint32_t copy_answer(const std::vector<std::uint8_t>& answer, void* out, std::uint32_t out_size,
                          std::uint32_t* returned)
{
    if (out == nullptr || out_size < answer.size()) return plat::ERR_INSUFFICIENT_BUFFER;
    std::memcpy(out, answer.data(), answer.size());
    if (returned != nullptr) *returned = static_cast<std::uint32_t>(answer.size());
    return plat::ERR_SUCCESS;
}

// IOCTL_STORAGE_QUERY_PROPERTY for the standard device property. A buffer
// that holds at least the descriptor's version and size gets as much of the
// descriptor as fits, so that a caller may ask for the size first.
std::uint32_t query_property(const disk_identity& id, const void* in, std::uint32_t in_size, void* out,
                             std::uint32_t out_size, std::uint32_t* returned)
{
    if (in == nullptr || in_size < sizeof(plat::storage_property_query)) return plat::ERR_INVALID_PARAMETER;
    plat::storage_property_query query;
    std::memcpy(&query, in, sizeof query);
    if (zan::load_le32(query.property_id) != plat::STORAGE_DEVICE_PROPERTY) return plat::ERR_INVALID_FUNCTION;
    if (zan::load_le32(query.query_type) != plat::PROPERTY_STANDARD_QUERY) return plat::ERR_INVALID_PARAMETER;
    constexpr std::uint32_t HEADER = 8; // version and size
    if (out == nullptr || out_size < HEADER) return plat::ERR_INSUFFICIENT_BUFFER;
    const std::vector<std::uint8_t> descriptor = device_descriptor(id);
    const auto moved = static_cast<std::uint32_t>(std::min<std::size_t>(out_size, descriptor.size()));
    std::memcpy(out, descriptor.data(), moved);
    if (returned != nullptr) *returned = moved;
    return plat::ERR_SUCCESS;
}

} // namespace

disk_identity logical_disk_identity(const adapter& a, std::size_t logical)
{
    char serial[32];
    std::snprintf(serial, sizeof serial, "%016llX%02zu", static_cast<unsigned long long>(a.sas_address), logical);
    return {padded(RAID_DISK_VENDOR, 8), padded(a.model + RAID_DISK_PRODUCT_SUFFIX, 16), padded(a.firmware, 4),
            serial, plat::BUS_TYPE_RAID};
}

disk_identity system_disk_identity()
{
    return {padded("ORVALE", 8), padded("OV160SATA", 16), padded("1.00", 4), "OV0000000001", plat::BUS_TYPE_ATA};
}

std::vector<std::uint8_t> device_descriptor(const disk_identity& id)
{
    std::vector<std::uint8_t> out(sizeof(plat::storage_device_descriptor), 0);
    plat::storage_device_descriptor d{};
    zan::store_le32(d.version, sizeof d);
    std::uint8_t* const offsets[] = {d.vendor_id_offset, d.product_id_offset, d.product_revision_offset,
                                     d.serial_number_offset};
    const std::string* const texts[] = {&id.vendor, &id.product, &id.revision, &id.serial};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        zan::store_le32(offsets[i], static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), texts[i]->begin(), texts[i]->end());
        out.push_back(0);
    }
    zan::store_le32(d.size, static_cast<std::uint32_t>(out.size()));
    zan::store_le32(d.bus_type, id.bus_type);
    d.command_queueing = id.bus_type == plat::BUS_TYPE_RAID ? 1 : 0;
    std::memcpy(out.data(), &d, sizeof d);
    return out;
}

disk_contents logical_disk_contents(const adapter& a, std::size_t logical)
{
    const logical_drive& ld = a.logicals[logical];
    return {signature_of(a.port, static_cast<std::uint8_t>(logical)),
            std::uint64_t{logical_size_mb(a, ld)} * MIB, ld.disk_style == DISK_DYNAMIC, ld.volumes.size()};
}

disk_contents system_disk_contents(std::uint32_t port)
{
    return {signature_of(port, SYSTEM_DISK_TARGET_MARK), SYSTEM_DISK_BYTES, false, 1};
}

std::vector<std::uint8_t> drive_layout(const disk_contents& disk)
{
    const std::size_t partitions = disk.dynamic ? 1 : disk.volumes;
    const std::size_t entries = (partitions + ENTRIES_PER_TABLE - 1) / ENTRIES_PER_TABLE * ENTRIES_PER_TABLE;
    const std::size_t head = offsetof(plat::drive_layout_information, partition_entry);
    std::vector<std::uint8_t> out(head + entries * sizeof(plat::partition_information), 0);
    zan::store_le32(out.data(), static_cast<std::uint32_t>(entries));
    zan::store_le32(out.data() + 4, disk.signature);
    if (partitions == 0) return out;
    const std::uint64_t usable = disk.size_bytes > FIRST_PARTITION_OFFSET ? disk.size_bytes - FIRST_PARTITION_OFFSET : 0;
    const std::uint64_t length = usable / partitions / MIB * MIB;
    for (std::size_t i = 0; i < partitions; ++i) {
        plat::partition_information p{};
        fill_partition(p, FIRST_PARTITION_OFFSET + i * length, disk.dynamic ? usable : length,
                       static_cast<std::uint32_t>(i + 1),
                       disk.dynamic ? plat::PARTITION_TYPE_LDM : plat::PARTITION_TYPE_IFS);
        std::memcpy(out.data() + head + i * sizeof p, &p, sizeof p);
    }
    return out;
}

std::uint32_t answer_address(const volume_location& where, void* out, std::uint32_t out_size, std::uint32_t* returned)
{
    if (out == nullptr || out_size < sizeof(plat::scsi_address)) return plat::ERR_INSUFFICIENT_BUFFER;
    plat::scsi_address address{};
    zan::store_le32(address.length, sizeof address);
    address.port_number = static_cast<std::uint8_t>(where.port);
    address.target_id = where.target;
    std::memcpy(out, &address, sizeof address);
    if (returned != nullptr) *returned = sizeof address;
    return plat::ERR_SUCCESS;
}

std::uint32_t disk_control(const volume_location& where, std::uint32_t code, const void* in, std::uint32_t in_size,
                           void* out, std::uint32_t out_size, std::uint32_t* returned)
{
    disk_identity id = system_disk_identity();
    disk_contents contents = system_disk_contents(where.port);
    if (!where.system) {
        adapter a;
        if (!load_adapter(root_dir(), where.port, a).empty() || !a.logicals[where.target].defined) {
            return plat::ERR_IO_DEVICE;
        }
        id = logical_disk_identity(a, where.target);
        contents = logical_disk_contents(a, where.target);
    }
    switch (code) {
    case plat::IOCTL_SCSI_GET_ADDRESS: return answer_address(where, out, out_size, returned);
    case plat::IOCTL_STORAGE_QUERY_PROPERTY: return query_property(id, in, in_size, out, out_size, returned);
    case plat::IOCTL_DISK_GET_DRIVE_LAYOUT: return copy_answer(drive_layout(contents), out, out_size, returned);
    default: return plat::ERR_INVALID_FUNCTION;
    }
}

} // namespace sim
