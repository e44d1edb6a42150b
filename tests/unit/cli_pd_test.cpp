// zancli's physical-drive commands: the physical-drive block, the assignment
// text, alarm states, the presence check and the shared option reader.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli_test_support.h"
#include "command_options.h"
#include "pd_block.h"
#include "pd_targets.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

using zan_test::output_capture;

zan::LogicalDriveInfo logical_drive(std::initializer_list<zan::MemberEntry> members)
{
    zan::LogicalDriveInfo ld{};
    ld.member_count = static_cast<std::uint8_t>(members.size());
    int i = 0;
    for (const zan::MemberEntry& member : members) ld.members[i++] = member;
    return ld;
}

zan::MemberEntry member(std::uint8_t hdd, std::uint8_t role, std::uint8_t position)
{
    zan::MemberEntry entry{};
    entry.hdd = hdd;
    entry.role = role;
    entry.position = position;
    return entry;
}

TEST(CliPdBlock, AssignmentTextFollowsTheMemberRoles)
{
    const zan::LogicalDriveInfo ld =
        logical_drive({member(0, 0, 0), member(3, 0, 1), member(6, 3, 2), member(7, 2, 0), member(5, 1, 3)});
    EXPECT_EQ(cli::member_assignment(0, ld, 3), "0-D1");
    EXPECT_EQ(cli::member_assignment(1, ld, 6), "1-S2");
    EXPECT_EQ(cli::member_assignment(2, ld, 7), "2-GroupHS");
    // A role that shows nothing, and a drive that is no member: the number alone.
    EXPECT_EQ(cli::member_assignment(4, ld, 5), "4");
    EXPECT_EQ(cli::member_assignment(4, ld, 9), "4");
    // Never longer than ten characters.
    EXPECT_EQ(cli::member_assignment(11, logical_drive({member(2, 2, 0)}), 2), "11-GroupHS");
    EXPECT_EQ(cli::member_assignment(255, logical_drive({member(2, 2, 0)}), 2), "255-GroupH");
    EXPECT_EQ(cli::member_assignment(0, logical_drive({member(2, 0, 0), member(2, 3, 1), member(2, 0, 4)}), 2),
              "0-D0-S1-D4");
}

TEST(CliPdBlock, MemberCountBeyondTheRecordIsBounded)
{
    zan::LogicalDriveInfo ld{};
    ld.member_count = 200;
    for (int i = 0; i < 12; ++i) ld.members[i] = member(static_cast<std::uint8_t>(20 + i), 0, static_cast<std::uint8_t>(i));
    ld.hot_spare_mode = 7; // the byte after the entries, read as a drive number if the count were trusted
    EXPECT_EQ(cli::member_assignment(0, ld, 7), "0");
    EXPECT_EQ(cli::member_assignment(0, ld, 31), "0-D11");
}

TEST(CliPdBlock, BlockLinesInBothForms)
{
    zan::PhysicalDriveInfo drive{};
    std::memcpy(drive.vendor, "KESTREL ", 8);
    std::memcpy(drive.product, "KS3300SAS       ", 16);
    std::memcpy(drive.revision, "0102", 4);
    drive.drive_class = 0;
    drive.size_mb.set(286102);
    drive.link = 8;
    drive.smart = 4;
    drive.bad_spot_state = 6;
    drive.bad_spot_count.set(3);
    const std::string inquiry = "KESTREL KS3300SAS       0102            "; // all forty bytes
    ASSERT_EQ(inquiry.size(), sizeof drive.inquiry_text);
    std::memcpy(drive.inquiry_text, inquiry.data(), inquiry.size());

    cli::frame context;
    const std::string body = "Vendor ID:             KESTREL \n"
                             "Product ID:            KS3300SAS       \n"
                             "Revision:              0102\n"
                             "Assign Virtual Disk:   1-D2\n"
                             "Class:                 Member Use\n"
                             "Size:                  286102MB\n"
                             "State:                 Alarm1\n"
                             "Sync Period:           3.0Gbps\n"
                             "SMART:                 Received\n"
                             "Bad Spot State:        Exist\n"
                             "Bad Spot Count:        3\n"
                             "Inquiry Data:          " + inquiry + "\n";
    std::string block;
    ASSERT_EQ(cli::format_pd_block(context, cli::pd_block_form::physical_disk, 0, 4, drive, 0x21, "1-D2", block),
              cli::outcome::go_on);
    EXPECT_EQ(block, "Physical Disk: 4\n" + body);
    ASSERT_EQ(cli::format_pd_block(context, cli::pd_block_form::pd_information, 0, 4, drive, 0x21, "1-D2", block),
              cli::outcome::go_on);
    EXPECT_EQ(block, "PD: 4 Information\n" + body);
}

TEST(CliPdTargets, AlarmStatesAreTheOfflineOnes)
{
    EXPECT_FALSE(cli::is_alarm_state(0x00));
    EXPECT_FALSE(cli::is_alarm_state(0x06));
    EXPECT_FALSE(cli::is_alarm_state(0x1F));
    EXPECT_TRUE(cli::is_alarm_state(0x20));
    EXPECT_TRUE(cli::is_alarm_state(0x27));
    EXPECT_FALSE(cli::is_alarm_state(0x28));
    EXPECT_FALSE(cli::is_alarm_state(0x80));
    EXPECT_FALSE(cli::is_alarm_state(0xFF));
}

// Option reading and presence on the demo machine (two adapters, drives 0-7).
class CliPdOnMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("demo");
        ASSERT_TRUE(initContData(0));
    }
    void TearDown() override { static_cast<void>(finContData()); }

    // Reads the options of `arguments` (after a command "-cmd"); returns
    // what was printed, empty when they were accepted.
    std::string read(const cli::option_grammar& grammar, std::vector<const char*> arguments, cli::command_options& options)
    {
        arguments.insert(arguments.begin(), {"zancli", "-cmd"});
        output_capture out;
        options = cli::command_options{};
        const bool accepted = cli::read_command_options(context_, static_cast<int>(arguments.size()),
                                                        arguments.data(), grammar, options) == cli::outcome::go_on;
        EXPECT_EQ(accepted, out.text().empty());
        return out.text();
    }

    zan_test::sim_root root_;
    cli::frame context_;
};

TEST_F(CliPdOnMachine, OptionGrammar)
{
    static constexpr std::array<std::string_view, 3> delays = {"high", "middle", "low"};
    const cli::option_grammar delay_options{delays, cli::accepts_adapters | cli::accepts_nochk};
    cli::command_options options;

    // "-Low" is an action, not a logical-drive list; "-nochk" is optional.
    EXPECT_EQ(read(delay_options, {"-Low", "-a1,0"}, options), "");
    EXPECT_EQ(options.action, 2);
    EXPECT_FALSE(options.nochk);
    EXPECT_EQ(options.adapters.ids, (cli::adapter_list{0, 1, 255, 255}));
    EXPECT_EQ(read(delay_options, {"-NOCHK", "-a0", "HIGH"}, options), "");
    EXPECT_EQ(options.action, 0);
    EXPECT_TRUE(options.nochk);

    // Two actions, a repeated option, an unknown one, a missing one: the
    // argument before the one examined, or the last one at the end.
    EXPECT_EQ(read(delay_options, {"-High", "-Low", "-a0"}, options), "Invalid input at or near token -High.\n");
    EXPECT_EQ(read(delay_options, {"-a0", "-nochk", "-nochk", "-High"}, options),
              "Invalid input at or near token -nochk.\n");
    EXPECT_EQ(read(delay_options, {"-L0", "-High", "-a0"}, options), "Invalid input at or near token -cmd.\n");
    EXPECT_EQ(read(delay_options, {"-High", "-nochk"}, options), "Invalid input at or near token -nochk.\n");
    EXPECT_EQ(read(delay_options, {"-a0"}, options), "Invalid input at or near token -a0.\n");
    EXPECT_EQ(read(delay_options, {}, options), "Invalid input at or near token -cmd.\n");

    // Physical-drive lists are sorted.
    const cli::option_grammar drive_options{{}, cli::accepts_pds | cli::accepts_adapters};
    EXPECT_EQ(read(drive_options, {"-a0", "-PhysDrv[0:3,0:1]"}, options), "");
    EXPECT_EQ(options.pds, (cli::drive_list{1, 3, 255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(read(drive_options, {"-a0", "-PhysDrv[0:3]x"}, options), "Invalid input at or near token -a0.\n");
    EXPECT_EQ(read(drive_options, {"-a0", "-PhysDrv[0:1]", "-nochk"}, options),
              "Invalid input at or near token -PhysDrv[0:1].\n");
}

TEST_F(CliPdOnMachine, FixedRejectionTargets)
{
    cli::command_options options;
    const cli::option_grammar by_command{{}, cli::accepts_adapters, cli::rejection_target::command};
    EXPECT_EQ(read(by_command, {"-a0", "-a1"}, options), "Invalid input at or near token -cmd.\n");
    EXPECT_EQ(read(by_command, {"-a0", "-x"}, options), "Invalid input at or near token -cmd.\n");

    const cli::option_grammar by_first{{}, cli::accepts_adapters, cli::rejection_target::first_option};
    EXPECT_EQ(read(by_first, {"-x", "-a0"}, options), "Invalid input at or near token -x.\n");
    EXPECT_EQ(read(by_first, {"-a0", "-a1", "-a2"}, options), "Invalid input at or near token -a0.\n");
    EXPECT_EQ(read(by_first, {}, options), "Invalid input at or near token -cmd.\n");
}

TEST_F(CliPdOnMachine, PresenceCheckNamesTheFirstMissingDrive)
{
    static_cast<void>(finContData());
    ASSERT_EQ(sim::create_root("[adapter 2]\n[drive 0]\n[drive 2]\n[adapter 3]\n[drive 0]\n[drive 1]\n[drive 2]\n"), "");
    ASSERT_TRUE(initContData(0));
    output_capture out;
    EXPECT_TRUE(cli::check_pds_present({0, 1, 255, 255}, {0, 2, 255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(out.text(), "");
    EXPECT_FALSE(cli::check_pds_present({0, 1, 255, 255}, {1, 2, 3, 255, 255, 255, 255, 255}));
    EXPECT_EQ(out.text(), "Fatal error - Adapter 0-The specified Physical Drive: 1 doesn't exist.\n");
    out.clear();
    EXPECT_FALSE(cli::check_pds_present({1, 255, 255, 255}, {1, 2, 3, 255, 255, 255, 255, 255}));
    EXPECT_EQ(out.text(), "Fatal error - Adapter 1-The specified Physical Drive: 3 doesn't exist.\n");
}

} // namespace
