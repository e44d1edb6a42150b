// zancli's adapter selection, selection matrix and logical-drive targets on
// simulated machines, including the selections that end the run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.h"
#include "frame.h"
#include "ld_targets.h"
#include "selection.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

using cli::unused_entry;
using zan_test::output_capture;

constexpr char competition[] =
    "Fatal error - The competition with another application occurred.\nPlease execute it after opening the interval.\n";

// Adapter 0 (port 2) has logical drives 0 and 3; adapter 1 (port 3) has none.
constexpr char mixed_scenario[] = R"([adapter 2]
[drive 0]
[drive 1]
[drive 2]
[drive 3]
[logical 0]
level = 1
members = 0 1
[logical 3]
level = 1
members = 2 3
[adapter 3]
[drive 0]
)";

class CliSelection : public ::testing::Test {
protected:
    void start(const std::string& scenario)
    {
        root_.create(scenario);
        ASSERT_TRUE(initContData(0));
    }
    void start_text(const std::string& text)
    {
        ASSERT_EQ(sim::create_root(text), "");
        ASSERT_TRUE(initContData(0));
    }
    void TearDown() override { static_cast<void>(finContData()); }

    cli::adapter_selection adapters(const char* token)
    {
        cli::adapter_selection selection{};
        EXPECT_EQ(cli::parse_adapter_selection(context_, token, selection), cli::outcome::go_on) << token;
        return selection;
    }
    cli::ld_selection lds(const char* token)
    {
        cli::ld_selection selection{};
        EXPECT_TRUE(cli::parse_ld_selection(token, selection)) << token;
        return selection;
    }

    zan_test::sim_root root_;
    cli::frame context_;
};

TEST_F(CliSelection, AdapterListsAreSortedAndProbed)
{
    start("demo");
    const cli::adapter_list both = {0, 1, unused_entry, unused_entry};
    EXPECT_EQ(adapters("a0,1").ids, both);
    EXPECT_EQ(adapters("a1,0").ids, both);
    EXPECT_FALSE(adapters("a1,0").all);
    EXPECT_EQ(adapters("a1").ids, (cli::adapter_list{1, unused_entry, unused_entry, unused_entry}));

    const cli::adapter_selection all = adapters("aall");
    EXPECT_EQ(all.ids, both);
    EXPECT_TRUE(all.all);
}

TEST_F(CliSelection, BadAdapterListsAreInvalidInput)
{
    start("demo");
    output_capture out;
    for (const char* token : {"a0,0", "a4", "a10", "a0,", "a", "a,0", "ax", "a0,,1", "a0x", "aall,0", "b0"}) {
        cli::adapter_selection selection{};
        EXPECT_EQ(cli::parse_adapter_selection(context_, token, selection), cli::outcome::stop) << token;
    }
    EXPECT_EQ(out.text(), "");
}

TEST_F(CliSelection, MissingOrBusyAdapterEndsTheRun)
{
    start("demo");
    cli::adapter_selection selection{};
    output_capture out;
    // Each fatal end finalises the library, which the next case starts again.
    EXPECT_EQ(cli::parse_adapter_selection(context_, "a0,3", selection), cli::outcome::fatal);
    EXPECT_EQ(out.text(), "Fatal error - The specified Adapter: 3 doesn't exist.\n");
    EXPECT_FALSE(context_.library_pending);

    ASSERT_TRUE(initContData(0));
    ASSERT_EQ(sim::inject_busy(3, 1000), "");
    out.clear();
    EXPECT_EQ(cli::parse_adapter_selection(context_, "a1", selection), cli::outcome::fatal);
    EXPECT_EQ(out.text(), std::string(competition));
}

TEST_F(CliSelection, AllAdaptersWithoutAnyEndsTheRunLeavingTheLibrary)
{
    start("empty");
    cli::adapter_selection selection{};
    output_capture out;
    EXPECT_EQ(cli::parse_adapter_selection(context_, "aall", selection), cli::outcome::fatal);
    EXPECT_EQ(out.text(), "Fatal error - There is no Adapter.\n");
    EXPECT_FALSE(context_.library_pending);
    EXPECT_TRUE(finContData()); // still open: this end leaves the library as it is
    ASSERT_TRUE(initContData(0));
}

TEST_F(CliSelection, TargetsFollowAdapterAndDriveNumbers)
{
    start("demo");
    std::vector<cli::ld_target> targets;
    ASSERT_EQ(cli::outcome::go_on, cli::resolve_ld_targets(context_, adapters("aall"), lds("lall"), targets));
    ASSERT_EQ(targets.size(), 4u);
    const int expected[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(targets[i].adapter, expected[i][0]);
        EXPECT_EQ(targets[i].ld, expected[i][1]);
    }

    // The command-line order of the drives does not matter.
    ASSERT_EQ(cli::outcome::go_on, cli::resolve_ld_targets(context_, adapters("a1"), lds("l1,0"), targets));
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].ld, 0);
    EXPECT_EQ(targets[1].ld, 1);
    EXPECT_EQ(targets[1].adapter, 1);
}

TEST_F(CliSelection, MatrixPassesOverMissingDrivesOfAFullList)
{
    start_text(mixed_scenario);
    cli::selection_matrix matrix;
    ASSERT_EQ(cli::outcome::go_on, cli::build_selection_matrix(context_, adapters("a0,1").ids, lds("l7,6,5,4,3,2,1,0").ids, matrix));
    EXPECT_EQ(matrix[0], (cli::drive_list{1, unused_entry, unused_entry, 1, unused_entry, unused_entry,
                                          unused_entry, unused_entry}));
    cli::drive_list empty;
    empty.fill(unused_entry);
    EXPECT_EQ(matrix[1], empty);
    EXPECT_EQ(matrix[2], empty);
}

TEST_F(CliSelection, AdaptersWithoutLogicalDrives)
{
    start_text(mixed_scenario);
    output_capture out;
    std::vector<cli::ld_target> targets;

    // All adapters and all drives: the adapter without any is left out.
    ASSERT_EQ(cli::outcome::go_on, cli::resolve_ld_targets(context_, adapters("aall"), lds("lall"), targets));
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[1].adapter, 0);
    EXPECT_EQ(targets[1].ld, 3);
    EXPECT_EQ(out.text(), "");

    // All drives of a named adapter without any: the command ends.
    EXPECT_EQ(cli::outcome::stop, cli::resolve_ld_targets(context_, adapters("a1"), lds("lall"), targets));
    EXPECT_EQ(out.text(), "Fatal error - Adapter 1: There is no Virtual Drive.\n");
}

TEST_F(CliSelection, NoLogicalDriveOnAnyAdapter)
{
    start("five");
    output_capture out;
    std::vector<cli::ld_target> targets;
    EXPECT_EQ(cli::outcome::stop, cli::resolve_ld_targets(context_, adapters("aall"), lds("lall"), targets));
    EXPECT_EQ(out.text(), "Fatal error - Adapter 0: There is no Virtual Drive.\n"
                          "Fatal error - Adapter 1: There is no Virtual Drive.\n"
                          "Fatal error - Adapter 2: There is no Virtual Drive.\n"
                          "Fatal error - Adapter 3: There is no Virtual Drive.\n");
}

TEST_F(CliSelection, FailedStatusReadIsReportedForItsAdapter)
{
    start("demo");
    const cli::adapter_selection second = adapters("a1");
    ASSERT_EQ(sim::inject_status(3, 0x8005, 1), "");
    output_capture out;
    std::vector<cli::ld_target> targets;
    EXPECT_EQ(cli::outcome::stop, cli::resolve_ld_targets(context_, second, lds("l0"), targets));
    EXPECT_EQ(out.text(), "The error was detected as an Adapter 1.\nPlease ascertain the situation.\n");
}

TEST_F(CliSelection, NamedMissingLogicalDriveEndsTheRun)
{
    start_text(mixed_scenario);
    const cli::adapter_selection first = adapters("a0");
    const cli::ld_selection named = lds("l3,1");
    cli::selection_matrix matrix;
    output_capture out;
    EXPECT_EQ(cli::build_selection_matrix(context_, first.ids, named.ids, matrix), cli::outcome::fatal);
    EXPECT_EQ(out.text(), "Fatal error - Adapter 0-The specified Virtual Drives: 1 doesn't exist.\n");
}

// A fatal end deep inside a command comes back to run() as status -1, with
// the lock released and the library finalised, so the next run starts clean.
TEST_F(CliSelection, FatalEndReturnsThroughTheFrame)
{
    start_text(mixed_scenario);
    static_cast<void>(finContData());
    output_capture out;
    const char* const missing[] = {"zancli", "-LDInfo", "-L3,1", "-a0"};
    EXPECT_EQ(cli::run(4, missing), cli::fatal_status);
    EXPECT_EQ(out.text(), "Fatal error - Adapter 0-The specified Virtual Drives: 1 doesn't exist.\n");

    out.clear();
    const char* const count[] = {"zancli", "-AdpCount"};
    EXPECT_EQ(cli::run(2, count), cli::success_status);
    EXPECT_EQ(out.text(), "Adapter Count: 2.\n");
    ASSERT_TRUE(initContData(0));
}

} // namespace
