// The simulated disk devices: their numbering, SCSI addresses, storage
// property, drive layouts and pass-through routing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plat/disk.h"
#include "plat/error.h"
#include "plat/volumes.h"
#include "sim/control.h"
#include "sim/device.h"
#include "sim_root.h"
#include "zanbytes.h"

namespace {

// Port 2: logical drives 0 (basic, E: and F:), 1 (dynamic, G:) and 3 (basic,
// no volume); port 5: logical drive 0 (dynamic, no volume).
constexpr char MACHINE[] = "[adapter 2]\n[drive 0]\n[drive 1]\n[drive 2]\n[drive 3]\n"
                           "[logical 0]\nlevel = 0\nmembers = 0\nstripe = none\nvolumes = E F\n"
                           "[logical 1]\nlevel = 0\nmembers = 1\nstripe = none\nvolumes = G\ndisk = dynamic\n"
                           "[logical 3]\nlevel = 1\nmembers = 2 3\n"
                           "[adapter 5]\n[drive 0]\n"
                           "[logical 0]\nlevel = 0\nmembers = 0\nstripe = none\ndisk = dynamic\n";

std::string disk_path(int n)
{
    return std::string(plat::PHYSICAL_DRIVE_PREFIX) + std::to_string(n);
}

class sim_disk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sim::create_root(MACHINE), ""); }

    sim::device_ref open(int n)
    {
        sim::device_ref ref;
        EXPECT_EQ(sim::open_device(disk_path(n).c_str(), ref), 0u) << n;
        return ref;
    }

    std::uint32_t control(const sim::device_ref& ref, std::uint32_t code, const void* in, std::uint32_t in_size,
                          std::vector<std::uint8_t>& out)
    {
        returned_ = 0;
        return sim::device_control(ref, code, in, in_size, out.data(), static_cast<std::uint32_t>(out.size()),
                                   &returned_);
    }

    plat::scsi_address address(int n)
    {
        std::vector<std::uint8_t> out(8);
        EXPECT_EQ(control(open(n), plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, out), 0u);
        plat::scsi_address a;
        std::memcpy(&a, out.data(), sizeof a);
        return a;
    }

    zan_test::sim_root root_;
    std::uint32_t returned_ = 0;
};

TEST_F(sim_disk, logical_drives_come_first_by_port_and_number_then_the_system_disk)
{
    struct row {
        int disk;
        std::uint8_t port;
        std::uint8_t target;
    };
    // The system disk sits on port 0, the lowest without an adapter.
    for (const row r : {row{0, 2, 0}, row{1, 2, 1}, row{2, 2, 3}, row{3, 5, 0}, row{4, 0, 0}}) {
        const plat::scsi_address a = address(r.disk);
        EXPECT_EQ(zan::load_le32(a.length), 8u);
        EXPECT_EQ(a.port_number, r.port) << r.disk;
        EXPECT_EQ(a.path_id, 0);
        EXPECT_EQ(a.target_id, r.target) << r.disk;
        EXPECT_EQ(a.lun, 0);
    }
    sim::device_ref ref;
    EXPECT_EQ(sim::open_device("\\\\.\\physicaldrive1", ref), 0u);
    for (const char* path : {"\\\\.\\PHYSICALDRIVE5", "\\\\.\\PHYSICALDRIVE", "\\\\.\\PHYSICALDRIVE1x",
                             "\\\\.\\PHYSICALDRIVE-1", "\\\\.\\PHYSICALDRIVE1000", "PHYSICALDRIVE1"}) {
        EXPECT_EQ(sim::open_device(path, ref), plat::ERR_FILE_NOT_FOUND) << path;
    }
}

TEST_F(sim_disk, the_storage_property_names_raid_disks_and_the_system_disk)
{
    plat::storage_property_query query{};
    struct row {
        int disk;
        const char* vendor;
        const char* product;
        std::uint32_t bus;
    };
    for (const row r : {row{0, "MERIDAN ", "ZAN8SAS RAID    ", plat::BUS_TYPE_RAID},
                        row{4, "ORVALE  ", "OV160SATA       ", plat::BUS_TYPE_ATA}}) {
        std::vector<std::uint8_t> out(1000, 0xEE);
        ASSERT_EQ(control(open(r.disk), plat::IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out), 0u);
        const std::uint32_t size = zan::load_le32(out.data() + 4);
        EXPECT_EQ(returned_, size);
        EXPECT_EQ(zan::load_le32(out.data() + 28), r.bus);
        const auto text = [&out, size](std::size_t field) {
            const std::uint32_t at = zan::load_le32(out.data() + field);
            EXPECT_LT(at, size);
            return std::string(reinterpret_cast<const char*>(out.data() + at));
        };
        EXPECT_EQ(text(12), r.vendor);
        EXPECT_EQ(text(16), r.product);
        EXPECT_EQ(text(20).size(), 4u);
        EXPECT_FALSE(text(24).empty());
    }

    // A buffer for the version and size gets them; one too small for those,
    // another property or a missing query fails.
    const sim::device_ref disk = open(0);
    std::vector<std::uint8_t> head(8);
    EXPECT_EQ(control(disk, plat::IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, head), 0u);
    EXPECT_EQ(returned_, 8u);
    EXPECT_GT(zan::load_le32(head.data() + 4), 40u);
    std::vector<std::uint8_t> tiny(7);
    EXPECT_EQ(control(disk, plat::IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, tiny),
              plat::ERR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(control(disk, plat::IOCTL_STORAGE_QUERY_PROPERTY, nullptr, 0, head), plat::ERR_INVALID_PARAMETER);
    plat::storage_property_query adapter_property{};
    adapter_property.property_id[0] = 1;
    EXPECT_EQ(control(disk, plat::IOCTL_STORAGE_QUERY_PROPERTY, &adapter_property, sizeof query, head),
              plat::ERR_INVALID_FUNCTION);
    EXPECT_EQ(control(disk, 0x00070000, nullptr, 0, head), plat::ERR_INVALID_FUNCTION);
}

TEST_F(sim_disk, drive_layouts_show_basic_dynamic_and_empty_disks)
{
    struct row {
        int disk;
        std::uint32_t entries;
        std::vector<std::uint8_t> types; // of the used entries
    };
    for (const row& r : {row{0, 4, {0x07, 0x07}}, row{1, 4, {0x42}}, row{2, 0, {}}, row{3, 4, {0x42}},
                         row{4, 4, {0x07}}}) {
        std::vector<std::uint8_t> out(360, 0xEE);
        ASSERT_EQ(control(open(r.disk), plat::IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, out), 0u) << r.disk;
        EXPECT_EQ(zan::load_le32(out.data()), r.entries) << r.disk;
        EXPECT_EQ(returned_, 8 + 32 * r.entries);
        std::uint64_t next_offset = 0;
        for (std::uint32_t e = 0; e < r.entries; ++e) {
            const std::uint8_t* entry = out.data() + 8 + 32 * e;
            const bool used = e < r.types.size();
            EXPECT_EQ(entry[24], used ? r.types[e] : 0) << r.disk << "/" << e;
            EXPECT_EQ(zan::load_le32(entry + 20), used ? e + 1 : 0) << r.disk << "/" << e;
            // Partitions follow one another without overlapping.
            const std::uint64_t offset = zan::load_le32(entry) | std::uint64_t{zan::load_le32(entry + 4)} << 32;
            if (used) {
                EXPECT_GE(offset, next_offset);
                next_offset = offset + zan::load_le32(entry + 8);
            }
        }
    }
    // Disk signatures tell the disks apart; a short buffer gets nothing.
    std::vector<std::uint8_t> first(360), second(360), shortened(8 + 32 * 4 - 1);
    ASSERT_EQ(control(open(0), plat::IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, first), 0u);
    ASSERT_EQ(control(open(3), plat::IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, second), 0u);
    EXPECT_NE(zan::load_le32(first.data() + 4), zan::load_le32(second.data() + 4));
    EXPECT_EQ(control(open(0), plat::IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, shortened),
              plat::ERR_INSUFFICIENT_BUFFER);
}

TEST_F(sim_disk, pass_through_reaches_the_raid_disk_only_from_logical_drives)
{
    const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
    std::vector<std::uint8_t> data(36), sense(18);
    plat::scsi_request request;
    request.cdb = inquiry;
    request.direction = plat::scsi_direction::in;
    request.data = data;
    request.sense = sense;
    plat::scsi_result result;
    ASSERT_EQ(sim::device_pass_through(open(3), request, result), 0u);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data() + 16), 12), "ZAN8SAS RAID");
    EXPECT_EQ(sim::device_pass_through(open(4), request, result), plat::ERR_INVALID_FUNCTION);
    sim::device_ref volume;
    ASSERT_EQ(sim::open_device("\\\\.\\E:", volume), 0u);
    EXPECT_EQ(sim::device_pass_through(volume, request, result), plat::ERR_INVALID_FUNCTION);
}

TEST_F(sim_disk, a_disk_whose_logical_drive_went_away_fails_its_requests)
{
    const sim::device_ref disk = open(1);
    ASSERT_EQ(sim::create_root("[adapter 2]\n"), "");
    std::vector<std::uint8_t> out(360);
    EXPECT_EQ(control(disk, plat::IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, out), plat::ERR_IO_DEVICE);
    const std::uint8_t test_unit_ready[6] = {};
    plat::scsi_request request;
    request.cdb = test_unit_ready;
    plat::scsi_result result;
    EXPECT_EQ(sim::device_pass_through(disk, request, result), plat::ERR_IO_DEVICE);
    // The machine now has the system disk only.
    EXPECT_EQ(address(0).port_number, 0);
}

} // namespace
