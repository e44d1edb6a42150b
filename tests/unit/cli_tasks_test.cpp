// zancli's progress bars and live display, drawn on a simulated console
// screen with a simulated clock and keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display_console.h"
#include "live_display.h"
#include "output.h"
#include "progress_bar.h"

namespace {

constexpr int screen_width = 100;
constexpr int screen_height = 40;

// A console screen that writes as a terminal does ("\r" to column 0, "\n" to
// the next line), a clock that only moves on pauses, and a keyboard whose key
// arrives after a number of pauses.
struct fake_console {
    std::vector<std::string> rows = std::vector<std::string>(screen_height, std::string(screen_width, ' '));
    plat::console_cursor cursor{0, 0};
    bool is_console = true;
    bool key_down = false;
    int key_after_pauses = -1; // -1: never
    std::uint32_t clock_ms = 0;
    int pauses = 0;
    int key_tests = 0;
    std::vector<std::string> digit_writes; // percentages drawn, in order

    static fake_console& the() { static fake_console screen; return screen; }

    static bool get_cursor(plat::console_cursor& at)
    {
        if (!the().is_console) return false;
        at = the().cursor;
        return true;
    }
    static bool set_cursor(plat::console_cursor at)
    {
        if (!the().is_console || at.row < 0 || at.row >= screen_height || at.column < 0) return false;
        the().cursor = at;
        return true;
    }
    static void write(std::string_view text)
    {
        fake_console& screen = the();
        if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos)
            screen.digit_writes.emplace_back(text);
        for (const char c : text) {
            if (c == '\r') {
                screen.cursor.column = 0;
            } else if (c == '\n') {
                screen.cursor.column = 0;
                ++screen.cursor.row;
            } else if (screen.cursor.column < screen_width) {
                screen.rows[static_cast<std::size_t>(screen.cursor.row)][static_cast<std::size_t>(screen.cursor.column++)] = c;
            }
        }
    }
    static bool key_pressed()
    {
        ++the().key_tests;
        return the().key_down;
    }
    static void pause(std::uint32_t milliseconds)
    {
        fake_console& screen = the();
        screen.clock_ms += milliseconds;
        ++screen.pauses;
        if (screen.pauses == screen.key_after_pauses) screen.key_down = true;
    }

    std::string row(int index) const { return rows[static_cast<std::size_t>(index)]; }
};

class CliTasksScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_console::the() = fake_console{};
        previous_console_ = cli::set_display_console({fake_console::get_cursor, fake_console::set_cursor,
                                                      fake_console::write, fake_console::key_pressed,
                                                      fake_console::pause});
        previous_sink_ = cli::set_output_sink(fake_console::write);
    }
    void TearDown() override
    {
        cli::set_display_console(previous_console_);
        cli::set_output_sink(previous_sink_);
    }
    fake_console& screen() { return fake_console::the(); }

private:
    cli::display_console previous_console_{};
    cli::output_sink previous_sink_ = nullptr;
};

int count_stars(const std::string& line)
{
    return static_cast<int>(std::count(line.begin(), line.end(), '*'));
}

// The stars a bar shows at `percent`: one per even value, none on the
// columns of the digits and the sign.
int expected_stars(int percent)
{
    int stars = 0;
    for (int column = 19; column < 19 + percent / 2; ++column)
        if (column < 42 || column > 45) ++stars;
    return stars;
}

TEST(CliTasksBar, DrawnLineShowsDigitsAndOneStarPerTwoPercent)
{
    const std::string blank = cli::task_bar_line(0, 1);
    EXPECT_EQ(blank, "    0        1     -----------------------00 %-----------------------\r");

    const std::string at37 = cli::drawn_bar_line(blank, 37);
    EXPECT_EQ(at37.substr(42, 2), "37");
    EXPECT_EQ(at37.substr(19, 18), std::string(18, '*'));
    EXPECT_EQ(at37[37], '-');
    EXPECT_EQ(count_stars(at37), 18);

    EXPECT_EQ(cli::drawn_bar_line(blank, 0), blank);
    EXPECT_EQ(cli::drawn_bar_line(blank, 100),
              "    0        1     ***********************100%***********************\r");
    // Values beyond the bar's range are cut to it.
    EXPECT_EQ(cli::drawn_bar_line(blank, 255), cli::drawn_bar_line(blank, 100));
    EXPECT_EQ(cli::drawn_bar_line(blank, -3), blank);

    for (int percent = 0; percent <= 100; ++percent) {
        const std::string line = cli::drawn_bar_line(blank, percent);
        EXPECT_EQ(count_stars(line), expected_stars(percent)) << percent;
        EXPECT_EQ(line[45], '%') << percent;
        if (percent < 100) {
            EXPECT_EQ(line.substr(42, 3), cli::format("%02d ", percent)) << percent;
        }
    }
}

TEST_F(CliTasksScreen, SingleBarIsDrawnInPlaceAndLeavesTheCursorBelowIt)
{
    cli::say("heading");
    cli::show_progress_bar(0, 1, 37);
    cli::show_progress_bar(1, 3, 100);

    EXPECT_EQ(screen().row(1), cli::drawn_bar_line(cli::task_bar_line(0, 1), 37).substr(0, 69) +
                                   std::string(screen_width - 69, ' '));
    EXPECT_EQ(screen().row(1).substr(42, 2), "37");
    EXPECT_EQ(count_stars(screen().row(1)), 18);
    EXPECT_EQ(screen().row(2).substr(19, 50), "***********************100%***********************");
    EXPECT_EQ(screen().cursor.row, 3);
    EXPECT_EQ(screen().cursor.column, 0);
    EXPECT_EQ(screen().pauses, 0); // drawn at once
}

TEST_F(CliTasksScreen, SingleBarWithoutConsolePrintsTheDrawnLine)
{
    screen().is_console = false;
    cli::show_progress_bar(2, 4, 50);
    EXPECT_EQ(screen().row(0).substr(0, 69), cli::drawn_bar_line(cli::task_bar_line(2, 4), 50).substr(0, 69));
    EXPECT_EQ(screen().cursor.row, 1);
}

// Progress values a drive shows, one per reading; the last stays.
struct scripted_drive {
    std::vector<cli::drive_progress> readings;
    std::size_t next = 0;
    int reads = 0;
    cli::drive_progress read()
    {
        ++reads;
        const cli::drive_progress progress = readings[std::min(next, readings.size() - 1)];
        ++next;
        return progress;
    }
};

TEST_F(CliTasksScreen, LiveDisplayFollowsProgressAndCompletesBarsUntilAKey)
{
    std::vector<scripted_drive> drives = {
        {{{true, 10}, {true, 10}, {true, 50}, {false, 50}}},
        {{{false, 0}}}, // not running when the display starts: left out
        {{{true, 0}, {true, 96}, {true, 100}}},
    };
    screen().key_after_pauses = 12;
    cli::say("heading");
    cli::run_live_display({{0, 1}, {0, 2}, {1, 0}}, [&](const cli::display_drive& drive, cli::drive_progress& out) {
        out = drives[static_cast<std::size_t>(drive.adapter == 1 ? 2 : drive.number - 1)].read();
        return true;
    });

    EXPECT_EQ(screen().row(1).substr(0, 19), "    0        1     ");
    EXPECT_EQ(screen().row(1).substr(19, 50), "***********************100%***********************");
    EXPECT_EQ(screen().row(2).substr(0, 19), "    1        0     ");
    EXPECT_EQ(screen().row(2).substr(19, 50), "***********************100%***********************");
    EXPECT_EQ(screen().row(3).substr(0, 30), "   Press a key to continue... ");
    EXPECT_EQ(screen().row(4), std::string(screen_width, ' '));
    EXPECT_EQ(screen().cursor.row, 4);
    EXPECT_EQ(drives[1].reads, 1);
    // Finished drives are not read again; the pause after each drive goes on.
    EXPECT_EQ(drives[0].reads, 4);
    EXPECT_EQ(drives[2].reads, 3);
    EXPECT_EQ(screen().pauses, 12);
    EXPECT_EQ(screen().clock_ms, 12000u);
}

TEST_F(CliTasksScreen, LiveDisplayDrawsEachValueOnce)
{
    scripted_drive drive{{{true, 20}, {true, 20}, {true, 30}}};
    screen().key_after_pauses = 2;
    cli::run_live_display({{0, 0}}, [&](const cli::display_drive&, cli::drive_progress& out) {
        out = drive.read();
        return true;
    });
    EXPECT_EQ(screen().row(0).substr(42, 2), "30");
    EXPECT_EQ(count_stars(screen().row(0)), 15);
    EXPECT_EQ(screen().row(1).substr(0, 27), "   Press any key to quit...");
    std::vector<std::string> expected;
    for (int value = 0; value <= 30; ++value) expected.push_back(cli::format("%02d", value));
    EXPECT_EQ(screen().digit_writes, expected);
}

TEST_F(CliTasksScreen, LiveDisplayEndsOnAKeyBeforeItStartsOrWhenAReadingFails)
{
    screen().key_down = true;
    int reads = 0;
    cli::run_live_display({{0, 0}}, [&](const cli::display_drive&, cli::drive_progress& out) {
        out = {true, 10};
        ++reads;
        return true;
    });
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(screen().row(0), std::string(screen_width, ' '));

    screen() = fake_console{};
    cli::run_live_display({{0, 0}}, [&](const cli::display_drive&, cli::drive_progress& out) {
        out = {true, 10};
        return ++reads < 3; // the third reading fails
    });
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(screen().pauses, 1);
    EXPECT_EQ(screen().row(0).substr(42, 2), "10");
}

TEST_F(CliTasksScreen, LiveDisplayWithoutConsoleSaysSoAndEnds)
{
    screen().is_console = false;
    int reads = 0;
    cli::run_live_display({{0, 0}}, [&](const cli::display_drive&, cli::drive_progress& out) {
        out = {true, 10};
        ++reads;
        return true;
    });
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(screen().row(0).substr(0, 45), "Fatal error - Internal error -0x1000000f4240.");
}

TEST_F(CliTasksScreen, LiveDisplayWithNothingRunningStillPacesItsKeyTests)
{
    screen().key_after_pauses = 3;
    cli::run_live_display({{0, 0}}, [](const cli::display_drive&, cli::drive_progress& out) {
        out = {false, 0};
        return true;
    });
    EXPECT_EQ(screen().row(0).substr(0, 27), "   Press any key to quit...");
    EXPECT_EQ(screen().pauses, 3);
    EXPECT_EQ(screen().clock_ms, 3000u);
}

TEST_F(CliTasksScreen, WaitForKeyTestsOncePerSecond)
{
    screen().key_after_pauses = 4;
    cli::wait_for_key();
    EXPECT_EQ(screen().row(0).substr(0, 30), "   Press a key to continue... ");
    EXPECT_EQ(screen().clock_ms, 4000u);
    EXPECT_EQ(screen().key_tests, 5);
}

} // namespace
