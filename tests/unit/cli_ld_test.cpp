// zancli's logical-drive commands: the option forms and creation rules of
// the create commands, the creation record, and the logical-drive block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.h"
#include "frame.h"
#include "ld_create.h"
#include "ld_report.h"

namespace {

using cli::unused_entry;

cli::drive_list drives(std::initializer_list<int> listed)
{
    cli::drive_list list;
    list.fill(unused_entry);
    int at = 0;
    for (const int drive : listed) list[at++] = static_cast<std::uint8_t>(drive);
    return list;
}

TEST(CliLdCreate, RaidOptionKeepsTheDriveOrder)
{
    int level = -1;
    cli::drive_list list{};
    ASSERT_EQ(cli::parse_raid_option("r5[0:3,0:1,0:2]", level, list), cli::raid_option_status::ok);
    EXPECT_EQ(level, 5);
    EXPECT_EQ(list, drives({3, 1, 2}));
    ASSERT_EQ(cli::parse_raid_option("r0[:7]", level, list), cli::raid_option_status::ok);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(list, drives({7}));

    EXPECT_EQ(cli::parse_raid_option("r6[0:0]", level, list), cli::raid_option_status::unsupported);
    EXPECT_EQ(cli::parse_raid_option("r6", level, list), cli::raid_option_status::unsupported);
    for (const char* token : {"r2[0:0]", "r10[0:0]", "r1", "r", "r1(0:0]", "r1[0:0,0:0]", "r1[0:8]", "r1[0:1]x",
                              "r1[]", "rx[0:0]"})
        EXPECT_EQ(cli::parse_raid_option(token, level, list), cli::raid_option_status::invalid) << token;
}

TEST(CliLdCreate, SpanAndRaid10Options)
{
    int span = -1;
    cli::drive_list list{};
    ASSERT_TRUE(cli::parse_span("array1[0:5,0:4]", span, list));
    EXPECT_EQ(span, 1);
    EXPECT_EQ(list, drives({5, 4}));
    ASSERT_TRUE(cli::parse_span("array0[1:0]", span, list));
    EXPECT_EQ(span, 0);
    for (const char* token : {"array2[0:0]", "array[0:0]", "array", "array01[0:0]", "array0", "array0(0:0)"})
        EXPECT_FALSE(cli::parse_span(token, span, list)) << token;

    EXPECT_TRUE(cli::is_raid10_option("r10"));
    for (const char* token : {"r1", "r100", "r010", "r10x", "r"}) EXPECT_FALSE(cli::is_raid10_option(token)) << token;
}

TEST(CliLdCreate, AfterLdNamesOneDigitUpToSeven)
{
    std::string digits;
    ASSERT_TRUE(cli::parse_after_ld("afterld3", digits));
    EXPECT_EQ(cli::after_ld_number(digits), 3);
    ASSERT_TRUE(cli::parse_after_ld("afterld12", digits));
    EXPECT_EQ(cli::after_ld_number(digits), std::nullopt);
    ASSERT_TRUE(cli::parse_after_ld("afterld9", digits));
    EXPECT_EQ(cli::after_ld_number(digits), std::nullopt);
    ASSERT_TRUE(cli::parse_after_ld("afterld07", digits));
    EXPECT_EQ(cli::after_ld_number(digits), std::nullopt);
    for (const char* token : {"afterld", "afterld3x", "afterldx", "afterl3"})
        EXPECT_FALSE(cli::parse_after_ld(token, digits)) << token;
}

TEST(CliLdCreate, FreeNumbersAndMemberCounts)
{
    zan::RaidStatus status{};
    for (auto& state : status.ld_state) state = zan::ABSENT;
    status.ld_state[0] = status.ld_state[1] = status.ld_state[3] = 0;
    EXPECT_EQ(cli::lowest_free_ld(status), 2);
    for (int ld = 0; ld < 8; ++ld) status.ld_state[ld] = 0x10;
    EXPECT_EQ(cli::lowest_free_ld(status), std::nullopt); // 8-11 are beyond the tool's reach

    const struct {
        int level;
        int fewest, most;
    } ranges[] = {{0, 1, 8}, {1, 2, 2}, {5, 3, 6}};
    for (const auto& r : ranges) {
        for (int count = 0; count <= 9; ++count)
            EXPECT_EQ(cli::member_count_fits(r.level, count), count >= r.fewest && count <= r.most)
                << "RAID" << r.level << " over " << count;
    }
    for (int count = 0; count <= 9; ++count)
        EXPECT_EQ(cli::member_count_fits(cli::raid10, count), count == 4 || count == 6 || count == 8) << count;

    for (std::uint8_t drive_class : {0, 1, 4}) EXPECT_TRUE(cli::class_may_join(drive_class));
    for (std::uint8_t drive_class : {2, 3, 5}) EXPECT_FALSE(cli::class_may_join(drive_class));
}

TEST(CliLdCreate, RecordCarriesLevelCachesAndSpans)
{
    const zan::CreateLDRecord mirror = cli::create_record({1, 4, 1, {6, 7}, false, true});
    EXPECT_EQ(mirror.controller, 1);
    EXPECT_EQ(mirror.group, 4);
    EXPECT_EQ(mirror.member_count, 2);
    EXPECT_EQ(mirror.members[0], 6);
    EXPECT_EQ(mirror.members[1], 7);
    EXPECT_EQ(mirror.hot_spare_mode, 0);
    EXPECT_EQ(mirror.raid_level, 1);
    EXPECT_EQ(mirror.write_through, 1);
    EXPECT_EQ(mirror.no_read_ahead, 0);
    EXPECT_EQ(mirror.sub_group, 0);

    const zan::CreateLDRecord stripe = cli::create_record({0, 0, 0, {3}, true, false});
    EXPECT_EQ(stripe.hot_spare_mode, 2);
    EXPECT_EQ(stripe.raid_level, 0);
    EXPECT_EQ(stripe.write_through, 0);
    EXPECT_EQ(stripe.no_read_ahead, 1);

    const zan::CreateLDRecord spanned = cli::create_record({0, 2, cli::raid10, {3, 1, 0, 2}, false, true});
    EXPECT_EQ(spanned.raid_level, 1);
    EXPECT_EQ(spanned.sub_group, 1);
    EXPECT_EQ(spanned.hot_spare_mode, 0);
    EXPECT_EQ(spanned.member_count, 4);
    EXPECT_EQ(spanned.members[0], 3);
    EXPECT_EQ(spanned.members[3], 2);
    EXPECT_EQ(spanned.members[4], 0);
}

// A healthy RAID 5 over three drives, as the adapter would describe it.
zan::LogicalDriveInfo raid5_record()
{
    zan::LogicalDriveInfo info{};
    info.raid_level = 5;
    info.member_count = 3;
    info.stripe_size.set(256);
    info.size_mb.set(572204);
    info.hot_spare_mode = 0;
    info.auto_rebuild = 1;
    info.rebuild_state = 2;
    info.maintenance_state = 1;
    info.progress = 42;
    info.force_state_change = 1;
    info.operation_error_count.set(3);
    info.read_cache = 1;
    info.write_cache = 0;
    return info;
}

zan::RaidStatus status_with(int ld, std::uint8_t state)
{
    zan::RaidStatus status{};
    for (auto& entry : status.ld_state) entry = zan::ABSENT;
    status.ld_state[ld] = state;
    return status;
}

TEST(CliLdReport, BlockShowsEveryLine)
{
    cli::frame context;
    std::string block;
    ASSERT_EQ(cli::ld_block(context, 0, 2, raid5_record(), status_with(2, 0x10), block), cli::outcome::go_on);
    EXPECT_EQ(block, "Virtual Disk:          2\n"
                      "RAID Level:            RAID5\n"
                      "Size:                  572204MB\n"
                      "State:                 Warning0\n"
                      "Stripe Size:           128kB\n"
                      "Number of Drives:      3\n"
                      "Hot Spare Mode:        Global\n"
                      "Auto Rebuild:          Disabled\n"
                      "Rebuild State:         Executing\n"
                      "Maintenance State:     Checking Parity\n"
                      "Operation Progress:    42%\n"
                      "Force State Change:    It is.\n"
                      "Operation Error Count: 3\n"
                      "Read Cache:            NORA\n"
                      "Write Cache:           WB\n");
}

TEST(CliLdReport, LevelsAndStripeSizes)
{
    zan::LogicalDriveInfo info{};
    const struct {
        std::uint8_t level;
        std::uint8_t members;
        std::optional<int> shown;
    } levels[] = {{0, 1, 0}, {1, 2, 1}, {1, 3, 1}, {1, 4, 10}, {1, 8, 10}, {5, 3, 5},
                  {80, 6, std::nullopt}, {0x5A, 2, std::nullopt}, {10, 4, std::nullopt}};
    for (const auto& c : levels) {
        info.raid_level = c.level;
        info.member_count = c.members;
        EXPECT_EQ(zan::shown_raid_level(info), c.shown) << int(c.level) << "/" << int(c.members);
    }

    // Level 1: only data drives and spares in use count towards RAID 10;
    // group hot spares (role 2) stand outside, and the record holds twelve
    // entries whatever its member count says.
    const struct {
        std::vector<std::uint8_t> roles;
        std::uint8_t member_count;
        int shown;
    } mirrors[] = {{{0, 0, 2, 2}, 4, 1}, {{0, 0, 3, 2}, 4, 1}, {{0, 0, 0, 3, 2}, 5, 10},
                   {{0, 0, 0, 0}, 3, 1}, {std::vector<std::uint8_t>(12, 0), 200, 10}};
    for (const auto& c : mirrors) {
        info = zan::LogicalDriveInfo{};
        info.raid_level = 1;
        info.member_count = c.member_count;
        for (std::size_t i = 0; i < c.roles.size(); ++i) info.members[i].role = c.roles[i];
        EXPECT_EQ(zan::shown_raid_level(info), c.shown) << c.roles.size() << "/" << int(c.member_count);
    }

    const struct {
        std::uint32_t sectors;
        const char* shown;
    } stripes[] = {{0, "None"}, {128, "64kB"}, {256, "128kB"}, {512, "256kB"}, {1024, "512kB"}};
    for (const auto& c : stripes) EXPECT_EQ(cli::shown_stripe_size(c.sectors), c.shown);
    for (std::uint32_t sectors : {64u, 2048u, 129u}) EXPECT_FALSE(cli::shown_stripe_size(sectors)) << sectors;
}

TEST(CliLdReport, UnshowableLevelOrStripeEndsOnlyTheCommand)
{
    cli::frame context;
    zan_test::output_capture out;
    zan::LogicalDriveInfo info = raid5_record();
    std::string block;
    info.raid_level = 80;
    EXPECT_EQ(cli::ld_block(context, 1, 0, info, status_with(0, 0), block), cli::outcome::stop);
    info = raid5_record();
    info.stripe_size.set(64);
    EXPECT_EQ(cli::ld_block(context, 1, 0, info, status_with(0, 0), block), cli::outcome::stop);
    EXPECT_EQ(out.text(), "Fatal error - Adapter 1: DLL information is abnormal.\n"
                          "Fatal error - Adapter 1: DLL information is abnormal.\n");
}

TEST(CliLdReport, CodedValueOutsideItsTableEndsTheRun)
{
    cli::frame context;
    zan_test::output_capture out;
    zan::LogicalDriveInfo info = raid5_record();
    info.write_cache = 2;
    std::string block;
    EXPECT_EQ(cli::ld_block(context, 3, 0, info, status_with(0, 0), block), cli::outcome::fatal);
    EXPECT_TRUE(out.text().starts_with("Fatal error - Adapter 3: DLL information is abnormal.\n")) << out.text();
    EXPECT_FALSE(context.library_pending);
}

} // namespace
