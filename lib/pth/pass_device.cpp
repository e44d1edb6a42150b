#include "pass_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "plat/disk.h"
#include "plat/volumes.h"

namespace zan::pth {

namespace {

// The answer buffer of the standard device property query.
constexpr std::uint32_t DESCRIPTOR_SIZE = 1000;
constexpr std::size_t PRODUCT_ID_OFFSET_AT = offsetof(plat::storage_device_descriptor, product_id_offset);
constexpr char RAID_MARK[] = "RAID";

std::uint32_t load_le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool is_raid_disk(plat::device& disk)
{
    // StorageDeviceProperty, PropertyStandardQuery: both zero.
    const plat::storage_property_query query{};
    std::uint8_t descriptor[DESCRIPTOR_SIZE] = {};
    std::uint32_t returned = 0;
    if (!disk.control(plat::IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, descriptor, sizeof descriptor,
                      &returned)) {
        return false;
    }
    return describes_raid_disk(std::span(descriptor, std::min<std::size_t>(returned, sizeof descriptor)));
}

} // namespace

bool describes_raid_disk(std::span<const std::uint8_t> descriptor)
{
    if (descriptor.size() < PRODUCT_ID_OFFSET_AT + 4) return false;
    const std::uint32_t offset = load_le32(descriptor.data() + PRODUCT_ID_OFFSET_AT);
    if (offset == 0 || offset >= descriptor.size()) return false;
    const auto begin = descriptor.begin() + offset;
    const auto end = std::find(begin, descriptor.end(), std::uint8_t{0});
    return std::search(begin, end, std::begin(RAID_MARK), std::end(RAID_MARK) - 1) != end;
}

bool open_disk(plat::device& disk, std::uint8_t number)
{
    char path[32];
    std::snprintf(path, sizeof path, "%s%u", plat::PHYSICAL_DRIVE_PREFIX, static_cast<unsigned>(number));
    return disk.open(path);
}

bool open_raid_disk(plat::device& disk)
{
    for (std::uint32_t n = 0; n < DISKS_SEARCHED; ++n) {
        if (!open_disk(disk, static_cast<std::uint8_t>(n))) continue;
        if (is_raid_disk(disk)) return true;
        disk.close();
    }
    return false;
}

bool query_address(plat::device& disk, scsi_unit& unit)
{
    plat::scsi_address address{};
    std::uint32_t returned = 0;
    if (!disk.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned)) return false;
    unit.path_id = address.path_id;
    unit.target_id = address.target_id;
    unit.lun = address.lun;
    return true;
}

} // namespace zan::pth
