#include "live_display.h"

#include "display_console.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "progress_bar.h"

namespace cli {

namespace {

// The internal-error value for a console that cannot be drawn on.
inline constexpr std::uint32_t no_console_output = 0xf4240;

// Where one drive stands in the display.
struct live_bar {
    display_drive drive;
    bar_state drawn;       // next percentage and next star column
    bool finished = false; // completed; only the pause remains for it
};

// The screen rows of the display: the quit line, with the bars right above
// it, and the cursor's resting place below it.
struct display_rows {
    plat::console_cursor home;
    int quit_row;
    int bar_count;

    int bar_row(int index) const { return quit_row - (bar_count - index); }
};

void say_continue(const display_rows& rows)
{
    write_at({0, rows.quit_row}, msg::press_a_key_to_continue, rows.home);
}

// One update of a bar that is not finished. False when the display ends: a
// reading failed, or a key was pressed while drawing.
bool update_bar(live_bar& bar, int row, const display_rows& rows, const progress_reader& read)
{
    const display_console& console = current_console();
    drive_progress progress{};
    if (!read(bar.drive, progress)) return false;

    if (!progress.running) {
        write_at({bar_first_star_column, row}, msg::completed_bar, rows.home);
        say_continue(rows);
        bar.finished = true;
        return true;
    }
    const bar_writer put = console_bar_writer(row, rows.home);
    const int target = bar_percent(progress.percent);
    while (bar.drawn.next_percent <= target) {
        if (console.key_pressed()) return false;
        draw_bar_step(bar.drawn, put);
        if (bar.drawn.next_percent > bar_full_percent) {
            say_continue(rows);
            bar.finished = true;
            return true;
        }
    }
    return true;
}

} // namespace

void run_live_display(const std::vector<display_drive>& drives, const progress_reader& read)
{
    const display_console& console = current_console();
    plat::console_cursor at{};
    if (!console.get_cursor(at)) {
        say(internal_error_message(category_argument, no_console_output));
        return;
    }
    if (console.key_pressed()) return;

    // First pass: a bar for each drive that runs now; the others stay out.
    std::vector<live_bar> bars;
    for (const display_drive& drive : drives) {
        if (static_cast<int>(bars.size()) == max_display_drives) break;
        drive_progress progress{};
        if (!read(drive, progress)) return;
        if (!progress.running) continue;
        say(task_bar_line(drive.adapter, drive.number));
        bars.push_back({drive, {}});
    }
    say(msg::press_any_key_to_quit);
    display_rows rows{};
    if (!console.get_cursor(rows.home)) {
        say(internal_error_message(category_argument, no_console_output));
        return;
    }
    rows.quit_row = rows.home.row - 1;
    rows.bar_count = static_cast<int>(bars.size());

    for (;;) {
        for (int index = 0; index < rows.bar_count; ++index) {
            live_bar& bar = bars[static_cast<std::size_t>(index)];
            if (!bar.finished && !update_bar(bar, rows.bar_row(index), rows, read)) return;
            if (console.key_pressed()) return;
            console.pause(display_poll_ms);
        }
        // With no bar at all the pass holds no pause of its own.
        if (bars.empty()) console.pause(display_poll_ms);
        if (console.key_pressed()) return;
    }
}

void wait_for_key()
{
    say(msg::press_a_key_to_continue);
    const display_console& console = current_console();
    while (!console.key_pressed()) console.pause(display_poll_ms);
}

} // namespace cli
