// zancli's library error report and value-name tables, and the fatal exits
// they lead to.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "frame.h"
#include "library_errors.h"
#include "value_names.h"

namespace {

TEST(CliLibraryError, ChoosesTheMessageByErrorBits)
{
    const char* competition =
        "Fatal error - The competition with another application occurred.\nPlease execute it after opening the interval.";
    const struct {
        std::uint32_t word;
        std::optional<int> adapter;
        const char* message;
    } cases[] = {
        {0x00002000, 1, "The error was detected as an Adapter 1.\nPlease ascertain the situation."},
        {0x10002000, std::nullopt, "The error was detected as an Adapter.\nPlease ascertain the situation."},
        {0x00002200, 0, "The error was detected as an Adapter 0.\nPlease ascertain the situation."},
        {0x00000020, 3, "Adapter 3: The specified operation cannot be executed.\nPlease ascertain the situation."},
        {0x10000021, std::nullopt, "The specified operation cannot be executed.\nPlease ascertain the situation."},
        {0x00008000, 0, competition},
        {0x10008000, std::nullopt, competition},
        // Argument and set-up faults: category 1.
        {0x00020010, std::nullopt, "Fatal error - Internal error -0x100000020010."},
        {0x00000040, 2, "Fatal error - Internal error -0x100000000040."},
        {0x00004000, std::nullopt, "Fatal error - Internal error -0x100000004000."},
        // Driver and internal failures: category 2, even with the refusal bits.
        {0x10001000, 0, "Fatal error - Internal error -0x200010001000."},
        {0x00000100, 0, "Fatal error - Internal error -0x200000000100."},
        {0x00003020, 0, "Fatal error - Internal error -0x200000003020."},
        {0x00009000, 0, "Fatal error - Internal error -0x200000009000."},
        // A failed Windows call shows the Windows error: category 3.
        {0x10000200, 0, "Fatal error - Internal error -0x300000000005."},
        {0x00001200, 0, "Fatal error - Internal error -0x300000000005."},
        // Anything else: category 0 with the word itself.
        {0x10000000, 0, "Fatal error - Internal error -0x000010000000."},
        {0x00000000, 0, "Fatal error - Internal error -0x000000000000."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::library_error_message(c.word, 5, c.adapter), c.message) << std::hex << c.word;

    EXPECT_EQ(cli::internal_error_message(1, 0xf4240), "Fatal error - Internal error -0x1000000f4240.");
    EXPECT_EQ(cli::system_error_message(0xdeadbeef), "Fatal error - Internal error -0x3000deadbeef.");
}

TEST(CliValueNames, EveryKindHasItsWords)
{
    const struct {
        int kind;
        unsigned value;
        const char* word;
    } cases[] = {
        {1, 0, "Good"},          {1, 6, "Attention6"},       {1, 16, "Warning0"},       {1, 22, "Warning6"},
        {1, 36, "Alarm4"},       {1, 255, "Nonexist"},       {2, 1, "Group"},           {2, 2, "None"},
        {3, 0, "Enabled"},       {3, 1, "Disabled"},         {4, 2, "Executing"},       {5, 1, "Checking Parity"},
        {5, 2, "Writing Parity"}, {6, 1, "It is."},          {7, 1, "NORA"},            {8, 0, "WB"},
        {8, 1, "WT"},            {9, 5, "Restore Candidate"}, {16, 1, "Attention1"},    {16, 39, "Alarm7"},
        {16, 128, "Not Supported"}, {16, 255, "Nonexist"},   {17, 7, "1.5Gbps"},        {17, 8, "3.0Gbps"},
        {17, 254, "Link Error"}, {17, 255, "PHY Disabled"},  {18, 4, "Received"},       {19, 6, "Exist"},
        {19, 22, "Over"},        {20, 1, "High"},            {20, 3, "Low"},
    };
    for (const auto& c : cases) {
        const cli::value_lookup lookup = cli::find_value_name(c.kind, c.value);
        EXPECT_EQ(lookup.status, cli::lookup_status::found) << c.kind << "/" << c.value;
        EXPECT_EQ(lookup.word, c.word) << c.kind << "/" << c.value;
    }
}

TEST(CliValueNames, GapsAndMissingTables)
{
    const struct {
        int kind;
        unsigned value;
    } missing[] = {{1, 7}, {1, 23}, {1, 37}, {2, 3}, {9, 6}, {16, 16}, {16, 40}, {17, 0}, {18, 1}, {19, 1}, {20, 0}};
    for (const auto& m : missing)
        EXPECT_EQ(cli::find_value_name(m.kind, m.value).status, cli::lookup_status::no_value)
            << m.kind << "/" << m.value;

    for (const int kind : {0, 10, 12, 15, 21, -1})
        EXPECT_EQ(cli::find_value_name(kind, 0).status, cli::lookup_status::no_table) << kind;
}

TEST(CliValueNames, LookupFailuresEndTheRunAtTheFirstOne)
{
    cli::frame context;
    zan_test::output_capture out;
    std::string_view first, second;
    EXPECT_EQ(cli::name_values(context, 2, {{cli::kind_smart, 4, &first}, {cli::kind_pd_class, 9, &second}}),
              cli::outcome::fatal);
    EXPECT_EQ(first, "Received");
    EXPECT_TRUE(out.text().starts_with("Fatal error - Adapter 2: DLL information is abnormal.\n")) << out.text();

    out.clear();
    EXPECT_EQ(cli::name_values(context, 0, {{12, 0, &first}, {cli::kind_pd_class, 9, &second}}), cli::outcome::fatal);
    EXPECT_TRUE(out.text().starts_with("Fatal error - Internal error -0x1000000186aa.\n")) << out.text();
}

} // namespace
