// Discovery of adapters through the registry's SCSI ports, controller
// numbering, and the argument checks of the information exports.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plat/error.h"
#include "scsi_ports.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

struct adapter_seen {
    int port;
    int driver_kind;
};

std::vector<adapter_seen> discovered()
{
    std::vector<adapter_seen> seen;
    std::uint8_t count = 0xEE;
    EXPECT_EQ(getContNum(&count), 1);
    for (int controller = 0; controller < count; ++controller) {
        zan::ContInfo info{};
        EXPECT_EQ(getContInfo(controller, &info), 1) << controller;
        seen.push_back({info.port_number, info.driver_kind});
    }
    return seen;
}

TEST(discovery, machine_without_adapters_has_none)
{
    zan_test::sim_root root;
    root.create("empty");
    ASSERT_EQ(initContData(0), 1);
    EXPECT_TRUE(discovered().empty());
    EXPECT_EQ(finContData(), 1);
}

TEST(discovery, absent_root_looks_like_a_machine_without_adapters)
{
    zan_test::sim_root root; // never created
    ASSERT_EQ(initContData(0), 1);
    EXPECT_TRUE(discovered().empty());
}

TEST(discovery, corrupt_registry_fails_start_with_a_system_error)
{
    zan_test::sim_root root;
    root.create("one");
    std::ofstream(root.path() + "/registry.reg") << "this is not a registry file\n[HKEY_LOCAL_MACHINE\\X\n";
    EXPECT_EQ(initContData(0), 0);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_SYSTEM);
    EXPECT_NE(plat::last_error(), 0u);
}

TEST(discovery, accepted_driver_names_fill_four_slots_in_port_order)
{
    zan_test::sim_root root;
    root.create("drivers");
    ASSERT_EQ(initContData(0), 1);
    const std::vector<adapter_seen> seen = discovered();
    ASSERT_EQ(seen.size(), 4u);
    // Every slot carries an accepted kind; misspelt names never get one.
    for (const adapter_seen& adapter : seen) {
        EXPECT_TRUE(adapter.driver_kind == 1 || adapter.driver_kind == 2 || adapter.driver_kind == 3 ||
                    adapter.driver_kind == 5 || adapter.driver_kind == 6 || adapter.driver_kind == 7)
            << adapter.driver_kind;
    }
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_NE(seen[i].port, seen[i - 1].port);
}

TEST(discovery, a_fifth_adapter_is_never_asked)
{
    zan_test::sim_root root;
    root.create("five");
    ASSERT_EQ(initContData(0), 1);
    const std::vector<adapter_seen> seen = discovered();
    ASSERT_EQ(seen.size(), 4u);
    // Exactly one of the five ports answered no request at all.
    int untouched = 0;
    for (int port = 0; port < 16; ++port) {
        std::uint64_t count = 0;
        if (sim::request_count(port, count).empty() && count == 0) ++untouched;
    }
    EXPECT_EQ(untouched, 1);
}

TEST(discovery, port_twelve_is_numbered_from_the_key_name)
{
    zan_test::sim_root root;
    root.create("port12");
    ASSERT_EQ(initContData(0), 1);
    const std::vector<adapter_seen> seen = discovered();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].port, 12);
    EXPECT_EQ(seen[0].driver_kind, 7);
}

TEST(discovery, an_adapter_that_does_not_answer_leaves_no_gap)
{
    zan_test::sim_root root;
    root.create("mute");
    ASSERT_EQ(initContData(0), 1);
    EXPECT_EQ(discovered().size(), 1u);
}

TEST(discovery, a_rescan_forgets_adapters_that_went_away)
{
    zan_test::sim_root root;
    root.create("demo");
    ASSERT_EQ(initContData(0), 1);
    const std::vector<adapter_seen> first = discovered();
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(sim::set_silent(first[1].port, true), "");
    ASSERT_EQ(initContData(0), 1);
    EXPECT_EQ(discovered().size(), 1u);
    zan::ContInfo info{};
    EXPECT_EQ(getContInfo(1, &info), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00010010u);
}

struct port_seen {
    int number;
    int driver_kind;
    std::string path;
    bool operator==(const port_seen&) const = default;
};

TEST(port_walk, the_driver_table_decides_which_ports_are_yielded_in_registry_order)
{
    zan_test::sim_root root;
    root.create("drivers");
    struct walk_case {
        std::span<const zan::driver_kind_entry> drivers;
        std::vector<port_seen> expected;
    };
    const walk_case cases[] = {
        {zan::DRIVER_KINDS,
         {{3, 1, "\\\\.\\Scsi3:"}, {4, 7, "\\\\.\\Scsi4:"}, {5, 6, "\\\\.\\Scsi5:"}, {6, 5, "\\\\.\\Scsi6:"},
          {7, 2, "\\\\.\\Scsi7:"}, {8, 3, "\\\\.\\Scsi8:"}}},
        {zan::SERVICE_DRIVER_KINDS, {{4, 7, "\\\\.\\Scsi4:"}}},
    };
    for (const walk_case& c : cases) {
        std::vector<port_seen> seen;
        int failures = 0;
        const zan::port_walk_visitor visitor{
            .accepted =
                [&](const zan::scsi_port& port) {
                    seen.push_back({port.number, port.driver_kind, port.device_path});
                    return true;
                },
            .failed = [&](zan::port_walk_step, std::uint32_t) { ++failures; },
        };
        const zan::port_walk_result result = zan::walk_scsi_ports(c.drivers, visitor);
        EXPECT_EQ(result.end, zan::port_walk_end::end_of_list);
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(failures, 0);
    }
}

TEST(port_walk, a_key_that_can_no_longer_be_listed_ends_the_walk)
{
    zan_test::sim_root root;
    root.create("demo");
    std::vector<std::pair<zan::port_walk_step, std::uint32_t>> failures;
    int accepted = 0;
    const zan::port_walk_visitor visitor{
        .accepted =
            [&](const zan::scsi_port&) {
                // The registry is damaged while the walk is under way.
                ++accepted;
                std::ofstream(root.path() + "/registry.reg") << "[HKEY_LOCAL_MACHINE\\X\n";
                return true;
            },
        .failed = [&](zan::port_walk_step step, std::uint32_t os_error) { failures.emplace_back(step, os_error); },
    };
    const zan::port_walk_result result = zan::walk_scsi_ports(zan::DRIVER_KINDS, visitor);
    EXPECT_EQ(result.end, zan::port_walk_end::list_failed);
    EXPECT_EQ(accepted, 1);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].first, zan::port_walk_step::list_subkey);
    EXPECT_EQ(failures[0].second, result.os_error);
    EXPECT_NE(result.os_error, 0u);
}

// After a start that failed, no controller number reaches a port: the count
// is 0, requests are refused, and neither adapter of the demo machine (ports
// 2 and 3) receives anything.
void expect_no_controller_reaches_a_port()
{
    std::uint64_t before[2] = {};
    for (int i = 0; i < 2; ++i) ASSERT_EQ(sim::request_count(2 + i, before[i]), "");
    std::uint8_t count = 0xEE;
    EXPECT_EQ(getContNum(&count), 1);
    EXPECT_EQ(count, 0);
    for (int controller = 0; controller < 2; ++controller) {
        zan::RaidStatus status{};
        EXPECT_EQ(getRaidStatus(controller, &status), 0);
        EXPECT_EQ(DLLGetLastError(), 0x00010010u);
        zan::ContInfo info{};
        EXPECT_EQ(getContInfo(controller, &info), 0);
    }
    for (int i = 0; i < 2; ++i) {
        std::uint64_t after = 0;
        ASSERT_EQ(sim::request_count(2 + i, after), "");
        EXPECT_EQ(after, before[i]) << "port " << 2 + i;
    }
}

TEST(discovery, a_failed_rescan_leaves_no_slot_of_the_earlier_scan)
{
    zan_test::sim_root root;
    root.create("demo");
    ASSERT_EQ(initContData(0), 1);
    ASSERT_EQ(discovered().size(), 2u);
    std::ofstream(root.path() + "/registry.reg") << "[HKEY_LOCAL_MACHINE\\X\n";
    EXPECT_EQ(initContData(0), 0);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_SYSTEM);
    expect_no_controller_reaches_a_port();
}

TEST(discovery, an_adapter_busy_at_start_fails_the_start_instead_of_renumbering_the_others)
{
    zan_test::sim_root root;
    root.create("demo");
    ASSERT_EQ(initContData(0), 1);
    ASSERT_EQ(discovered().size(), 2u);
    ASSERT_EQ(sim::inject_busy(2, 351), "");
    EXPECT_EQ(initContData(0), 0);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_IOCTL_BUSY | zan::DLL_ERROR_PASSED_UP);
    expect_no_controller_reaches_a_port();

    // A failure other than busy still passes the adapter over.
    ASSERT_EQ(sim::inject_status(2, 0x8005, 1), "");
    ASSERT_EQ(initContData(0), 1);
    const std::vector<adapter_seen> seen = discovered();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].port, 3);
}

class information_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("demo");
        ASSERT_EQ(initContData(0), 1);
    }
    zan_test::sim_root root_;
};

TEST_F(information_test, controller_numbers_are_checked_before_anything_else)
{
    zan::ContInfo info{};
    EXPECT_EQ(getContInfo(4, &info), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00020010u);
    EXPECT_EQ(getContInfo(2, &info), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00010010u);
    EXPECT_EQ(getContInfo(256, &info), 1); // only the low byte counts
    EXPECT_EQ(DLLGetLastError(), 0u);
    EXPECT_EQ(getContInfo(0, nullptr), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);

    zan::RaidStatus status{};
    EXPECT_EQ(getRaidStatus(3, &status), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00010010u);
    zan::ContPara para{};
    EXPECT_EQ(getContPara(7, &para), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00020010u);
}

TEST_F(information_test, drive_numbers_are_checked_before_the_pointer)
{
    EXPECT_EQ(getPhysicalDriveInfo(0, 12, nullptr), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00400010u);
    EXPECT_EQ(getLogicalDriveInfo(0, 12, nullptr), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00080010u);
    EXPECT_EQ(getLogicalDriveInfo(0, 0, nullptr), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);
    std::uint8_t* no_count = nullptr;
    EXPECT_EQ(getContNum(no_count), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);
}

TEST_F(information_test, records_come_back_from_the_adapter)
{
    zan::ContInfo info{};
    ASSERT_EQ(getContInfo(0, &info), 1);
    EXPECT_EQ(info.status.get(), 0u);
    EXPECT_EQ(info.driver_kind, 7);

    zan::RaidStatus status{};
    ASSERT_EQ(getRaidStatus(0, &status), 1);
    int logical_drives = 0;
    for (int group = 0; group < zan::MAX_GROUPS; ++group) {
        if (status.ld_state[group] == zan::ABSENT) continue;
        ++logical_drives;
        zan::LogicalDriveInfo ld{};
        ASSERT_EQ(getLogicalDriveInfo(0, group, &ld), 1) << group;
        EXPECT_EQ(ld.group, group);
        EXPECT_GT(ld.member_count, 0);
        EXPECT_GT(ld.size_mb.get(), 0u);
    }
    EXPECT_GT(logical_drives, 0);
    for (int drive = 0; drive < zan::MAX_HDDS; ++drive) {
        if (status.hdd_state[drive] == zan::ABSENT) continue;
        zan::PhysicalDriveInfo pd{};
        ASSERT_EQ(getPhysicalDriveInfo(0, drive, &pd), 1) << drive;
        EXPECT_EQ(pd.hdd, drive);
        EXPECT_LE(pd.drive_class, 5);
    }

    zan::ContPara para{};
    ASSERT_EQ(getContPara(0, &para), 1);
    const std::uint8_t rom_state = para.flash_rom_state;
    EXPECT_TRUE(rom_state == 0x00 || rom_state == 0x11 || rom_state == 0x13 || rom_state == 0x22 ||
                rom_state == 0x23)
        << int(rom_state);
}

TEST_F(information_test, a_failed_request_leaves_the_result_zeroed)
{
    zan::ContInfo info{};
    ASSERT_EQ(getContInfo(0, &info), 1);
    ASSERT_EQ(sim::inject_status(info.port_number, 0x8005, 1), "");
    zan::PhysicalDriveInfo pd;
    std::memset(&pd, 0xAB, sizeof pd);
    EXPECT_EQ(getPhysicalDriveInfo(0, 0, &pd), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&pd);
    for (std::size_t i = 0; i < sizeof pd; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(library_state, finishing_twice_succeeds_and_requests_still_check_slots)
{
    zan_test::sim_root root;
    EXPECT_EQ(finContData(), 1);
    EXPECT_EQ(finContData(), 1);
    std::uint8_t count = 0xEE;
    EXPECT_EQ(getContNum(&count), 1);
}

} // namespace
