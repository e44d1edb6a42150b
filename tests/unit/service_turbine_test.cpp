// The Raid Turbine checks: which logical drives the scan asks, the drive
// letters and dynamic disks found on a simulated machine, and the warnings.
#include <gtest/gtest.h>

#include <vector>

#include "sim/control.h"
#include "sim_root.h"
#include "turbine.h"

namespace {

TEST(service_turbine, the_scan_asks_defined_drives_outside_alarm_and_stops_at_a_failure)
{
    // Logical drive: state, level byte answered (-1: the request fails).
    struct row {
        std::uint8_t state;
        int level;
        bool asked;
        bool marked;
    };
    const row rows[] = {
        {0x00, 0x5A, true, true},   {0x01, 0xA5, true, true},  {0x10, 0x01, true, false},
        {0xFF, 0x5A, false, false}, {0x20, 0x5A, false, false}, {0x23, 0x5A, false, false},
        {0x2F, 0x5A, false, false}, {0x30, 0x5A, true, true},  {0x00, 0x05, true, false},
        {0x00, -1, true, false},    {0x00, 0x5A, false, false}, {0x00, 0xA5, false, false},
    };
    std::array<std::uint8_t, zan::TURBINE_LOGICAL_DRIVES> states{};
    for (std::size_t k = 0; k < std::size(rows); ++k) states[k] = rows[k].state;
    std::vector<std::uint8_t> asked;
    zan::turbine_table drives{};
    zan::scan_turbine_drives(states,
                             [&asked, &rows](std::uint8_t k, std::uint8_t& level) {
                                 asked.push_back(k);
                                 if (rows[k].level < 0) return false;
                                 level = static_cast<std::uint8_t>(rows[k].level);
                                 return true;
                             },
                             drives);
    std::vector<std::uint8_t> expected;
    for (std::uint8_t k = 0; k < std::size(rows); ++k) {
        if (rows[k].asked) expected.push_back(k);
        EXPECT_EQ(drives[k].turbine, rows[k].marked) << int(k);
    }
    EXPECT_EQ(asked, expected);
}

TEST(service_turbine, a_dynamic_disk_or_else_a_missing_letter_is_warned_about)
{
    zan::turbine_table drives{};
    drives[0] = {true, false, ""};             // no letter
    drives[1] = {true, true, "\\\\.\\E:"};     // dynamic, with a letter
    drives[2] = {true, true, ""};              // dynamic, no letter: one warning
    drives[3] = {true, false, "\\\\.\\F:"};    // letter, basic: none
    drives[4] = {false, true, ""};             // no Raid Turbine drive: none
    const std::vector<zan::turbine_warning> expected = {
        {zan::MSG_TURBINE_NO_LETTER, 0}, {zan::MSG_TURBINE_DYNAMIC, 1}, {zan::MSG_TURBINE_DYNAMIC, 2}};
    EXPECT_EQ(zan::turbine_warnings(drives), expected);
}

TEST(service_turbine, letters_and_dynamic_disks_are_found_on_the_machine)
{
    zan_test::sim_root root;
    // Disks: 0 = port 2 logical drive 0 (E: F:), 1 = port 2 logical drive 1
    // (dynamic, G:), 2 = port 3 logical drive 0 (dynamic, H:), 3 = the system
    // disk. Four volumes after C: let the probe reach disks 0 to 3.
    ASSERT_EQ(sim::create_root("[adapter 2]\n[drive 0]\n[drive 1]\n"
                               "[logical 0]\nlevel = 0\nmembers = 0\nstripe = none\nvolumes = F E\n"
                               "[logical 1]\nlevel = 0\nmembers = 1\nstripe = none\nvolumes = G\ndisk = dynamic\n"
                               "[adapter 3]\n[drive 0]\n"
                               "[logical 0]\nlevel = 0\nmembers = 0\nstripe = none\nvolumes = H\ndisk = dynamic\n"),
              "");
    EXPECT_EQ(zan::drive_letter_list(2, 0), "\\\\.\\E:,\\\\.\\F:");
    EXPECT_EQ(zan::drive_letter_list(2, 1), "\\\\.\\G:");
    EXPECT_EQ(zan::drive_letter_list(2, 2), "");
    EXPECT_EQ(zan::drive_letter_list(3, 0), "\\\\.\\H:");

    zan::turbine_table port2{};
    port2[0].dynamic = true; // a mark the probe finds wrong is put right
    zan::mark_dynamic_disks(2, port2);
    EXPECT_FALSE(port2[0].dynamic);
    EXPECT_TRUE(port2[1].dynamic);
    zan::turbine_table port3{};
    zan::mark_dynamic_disks(3, port3);
    EXPECT_TRUE(port3[0].dynamic);

    // With only C: and G: the probe looks at disk 0 alone.
    ASSERT_EQ(sim::remove_volume('E'), "");
    ASSERT_EQ(sim::remove_volume('F'), "");
    ASSERT_EQ(sim::remove_volume('H'), "");
    zan::turbine_table bounded{};
    zan::mark_dynamic_disks(2, bounded);
    EXPECT_FALSE(bounded[1].dynamic);
}

} // namespace
