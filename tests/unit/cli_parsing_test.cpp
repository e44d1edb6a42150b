// zancli parsing without adapters: normalised tokens, the command table, the
// logical- and physical-drive selections, the option loop and the prompt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.h"
#include "commands.h"
#include "options.h"
#include "prompt.h"
#include "selection.h"
#include "token.h"

namespace {

using cli::unused_entry;
using zan_test::output_capture;

cli::drive_list drives(std::initializer_list<std::uint8_t> ids)
{
    cli::drive_list list;
    list.fill(unused_entry);
    std::copy(ids.begin(), ids.end(), list.begin());
    return list;
}

TEST(CliToken, NormalisesCaseAndLeadingPart)
{
    const struct {
        const char* argument;
        const char* token;
    } cases[] = {
        {"-CfgLDAdd", "cfgldadd"}, {"cfgldadd", "cfgldadd"}, {"x-CFGLDADD", "cfgldadd"}, {"?", "?"},
        {"-", "-"},                {"ab-", "ab-"},           {"--AdpCount", "-adpcount"}, {"-a-", "a-"},
        {"-PhysDrv[0:1]", "physdrv[0:1]"},                   {"-aALL", "aall"},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::normalize_token(c.argument), std::string(c.token)) << c.argument;

    EXPECT_EQ(cli::normalize_token(std::string(255, 'X')), std::string(255, 'x'));
    EXPECT_EQ(cli::normalize_token(std::string(256, 'x')), std::nullopt);
}

TEST(CliCommandTable, FindsCommandsInAnySpellingOnly)
{
    const cli::command_entry* count = cli::find_command("-AdpCount");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->run, cli::command_adapter_count);
    EXPECT_EQ(cli::find_command("ADPCOUNT"), count);
    EXPECT_EQ(cli::find_command("adpcount"), count);
    for (const char* usage : {"-h", "-Help", "?", "HELP"}) {
        ASSERT_NE(cli::find_command(usage), nullptr) << usage;
        EXPECT_EQ(cli::find_command(usage)->run, cli::command_usage) << usage;
    }
    EXPECT_EQ(cli::find_command("-v")->run, cli::command_version);

    for (const char* unknown : {"--AdpCount", "-foo", "-", "", "-AdpCoun", "-AdpCountx"})
        EXPECT_EQ(cli::find_command(unknown), nullptr) << unknown;
    EXPECT_EQ(cli::find_command("-" + std::string(300, 'h')), nullptr);
}

TEST(CliLdSelection, AcceptsListsInCommandLineOrder)
{
    const struct {
        const char* token;
        cli::drive_list ids;
        bool all;
    } cases[] = {
        {"lall", drives({0, 1, 2, 3, 4, 5, 6, 7}), true},
        {"l3", drives({3}), false},
        {"l1,", drives({1}), false},
        {"l2,0", drives({2, 0}), false},
        {"l7,0,5", drives({7, 0, 5}), false},
        {"sl3", drives({3}), false},
        {"dl0", drives({0}), false},
        {"dl", drives({}), false},
    };
    for (const auto& c : cases) {
        cli::ld_selection selection{};
        ASSERT_TRUE(cli::parse_ld_selection(c.token, selection)) << c.token;
        EXPECT_EQ(selection.ids, c.ids) << c.token;
        EXPECT_EQ(selection.all, c.all) << c.token;
    }
}

TEST(CliLdSelection, RejectsBadLists)
{
    for (const char* token : {"l0,0", "l8", "l", "l,1", "l1,,2", "l12", "lx", "l1,2x", "l-1", "lall1", "sl8",
                              "sl12", "dlx", "x1"}) {
        cli::ld_selection selection{};
        EXPECT_FALSE(cli::parse_ld_selection(token, selection)) << token;
    }
}

TEST(CliPdSelection, UsesTheNumberAfterEachColon)
{
    cli::drive_list ids{};
    ASSERT_TRUE(cli::parse_pd_selection("physdrv[0:3,0:1]", cli::pd_order::ascending, ids));
    EXPECT_EQ(ids, drives({1, 3}));
    ASSERT_TRUE(cli::parse_pd_selection("physdrv[0:3,0:1]", cli::pd_order::as_given, ids));
    EXPECT_EQ(ids, drives({3, 1}));
    ASSERT_TRUE(cli::parse_pd_selection("physdrv[:3]", cli::pd_order::ascending, ids));
    EXPECT_EQ(ids, drives({3}));
    ASSERT_TRUE(cli::parse_pd_selection("physdrv[9x:7,1:0,2:6]", cli::pd_order::ascending, ids));
    EXPECT_EQ(ids, drives({0, 6, 7}));
    ASSERT_TRUE(cli::parse_pd_selection("physdrv[0:7,0:6,0:5,0:4,0:3,0:2,0:1,0:0]", cli::pd_order::ascending, ids));
    EXPECT_EQ(ids, drives({0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(CliPdSelection, RejectsBadLists)
{
    for (const char* token : {"physdrv[0:3]x", "physdrv[0:12]", "physdrv[0:3,]", "physdrv[3]", "physdrv[0:8]",
                              "physdrv[0:3,0:3]", "physdrv[0:3", "physdrv[0:3,x:1]", "physdrv[0:]",
                              "physdrv[0:3]]", "physdrv[0:3;1:2]"}) {
        cli::drive_list ids{};
        EXPECT_FALSE(cli::parse_pd_selection(token, cli::pd_order::ascending, ids)) << token;
    }
}

TEST(CliOptionLoop, RejectionNamesThePrecedingArgument)
{
    output_capture out;
    const char* argv[] = {"zancli", "-AdpCount", "-a0"};
    EXPECT_FALSE(cli::no_options(3, argv));
    EXPECT_TRUE(cli::no_options(2, argv));
    EXPECT_EQ(out.text(), "Invalid input at or near token -AdpCount.\n");

    // A repeated option is rejected naming the option before it.
    const char* repeated[] = {"zancli", "-Cmd", "-Start", "-a0", "-START"};
    cli::option_loop loop(5, repeated);
    ASSERT_TRUE(cli::next_option(loop));
    EXPECT_EQ(loop.token, "start");
    EXPECT_TRUE(cli::mark_seen(loop, 1));
    ASSERT_TRUE(cli::next_option(loop));
    EXPECT_TRUE(cli::mark_seen(loop, 2));
    ASSERT_TRUE(cli::next_option(loop));
    EXPECT_FALSE(cli::mark_seen(loop, 1));
    out.clear();
    cli::reject_option(loop);
    EXPECT_EQ(out.text(), "Invalid input at or near token -a0.\n");

    // An incomplete set is rejected naming the last argument.
    EXPECT_FALSE(cli::next_option(loop));
    out.clear();
    EXPECT_FALSE(cli::require_options(loop, 1 | 2 | 4));
    EXPECT_TRUE(cli::require_options(loop, 1 | 2));
    EXPECT_EQ(out.text(), "Invalid input at or near token -START.\n");

    // With no options at all, the command argument is named.
    cli::option_loop empty(2, repeated);
    EXPECT_FALSE(cli::next_option(empty));
    out.clear();
    EXPECT_FALSE(cli::require_options(empty, 1));
    EXPECT_EQ(out.text(), "Invalid input at or near token -Cmd.\n");
}

TEST(CliOptionLoop, OverlongArgumentMatchesNothing)
{
    const std::string overlong = "-a" + std::string(300, '0');
    const char* argv[] = {"zancli", "-Cmd", overlong.c_str()};
    cli::option_loop loop(3, argv);
    ASSERT_TRUE(cli::next_option(loop));
    EXPECT_EQ(loop.token, "");
}

// Feeds the prompt scripted input lines; the end of the script is the end of
// input.
std::vector<std::string> script;
std::size_t script_position;
std::size_t requested_max;

bool scripted_reader(std::string& line, std::size_t max_chars)
{
    requested_max = max_chars;
    if (script_position == script.size()) return false;
    line = script[script_position++];
    return true;
}

cli::answer ask(std::vector<std::string> lines)
{
    script = std::move(lines);
    script_position = 0;
    return cli::confirm("Is it executed?(Y/N)?", scripted_reader);
}

TEST(CliPrompt, AcceptsOnlyASingleYOrN)
{
    output_capture out;
    EXPECT_EQ(ask({"yes\n", "\n", "Y \n", "Y", "n\n"}), cli::answer::no);
    EXPECT_EQ(script_position, 5u);
    EXPECT_EQ(requested_max, 65535u);
    std::string five_prompts;
    for (int i = 0; i < 5; ++i) five_prompts += "Is it executed?(Y/N)?\n";
    EXPECT_EQ(out.text(), five_prompts);

    EXPECT_EQ(ask({"y\n"}), cli::answer::yes);
    EXPECT_EQ(ask({"x\n", "Y\n"}), cli::answer::yes);
    EXPECT_EQ(ask({"Y\r\n"}), cli::answer::yes);
    EXPECT_EQ(ask({"N\n", "Y\n"}), cli::answer::no);
    EXPECT_EQ(script_position, 1u);
}

TEST(CliPrompt, EndOfInputAnswersNo)
{
    output_capture out;
    EXPECT_EQ(ask({}), cli::answer::no);
    EXPECT_EQ(ask({"maybe\n"}), cli::answer::no);
    EXPECT_EQ(ask({"y"}), cli::answer::no);
}

} // namespace
