#include "progress_bar.h"

#include <algorithm>

#include "display_console.h"
#include "messages.h"
#include "output.h"

namespace cli {

int bar_percent(int percent)
{
    return std::clamp(percent, 0, bar_full_percent);
}

void draw_bar_step(bar_state& state, const bar_writer& put)
{
    const int value = state.next_percent++;
    put(bar_percent_column, format("%02d", value));
    if (value == 0 || value % 2 != 0) return;
    // The digits and " %" keep their places: the star that falls on them is
    // counted but not drawn.
    if (state.star_column < bar_percent_column || state.star_column > bar_sign_column)
        put(state.star_column, "*");
    ++state.star_column;
}

void draw_bar_to(bar_state& state, int percent, const bar_writer& put)
{
    const int last = bar_percent(percent);
    while (state.next_percent <= last) draw_bar_step(state, put);
}

bar_writer console_bar_writer(int row, plat::console_cursor home)
{
    return [row, home](int column, std::string_view text) { write_at({column, row}, text, home); };
}

std::string drawn_bar_line(std::string blank_line, int percent)
{
    bar_state state;
    draw_bar_to(state, percent, [&blank_line](int column, std::string_view text) {
        const auto at = static_cast<std::size_t>(column);
        if (at + text.size() <= blank_line.size()) blank_line.replace(at, text.size(), text);
    });
    return blank_line;
}

std::string task_bar_line(int adapter, int drive)
{
    return format(msg::task_bar_line, adapter, drive, "%");
}

void show_progress_bar(int adapter, int drive, int percent)
{
    const display_console& console = current_console();
    plat::console_cursor home{};
    if (!console.get_cursor(home)) {
        say(drawn_bar_line(task_bar_line(adapter, drive), percent));
        return;
    }
    say(task_bar_line(adapter, drive));
    if (!console.get_cursor(home)) return;
    bar_state state;
    draw_bar_to(state, percent, console_bar_writer(home.row - 1, home));
}

} // namespace cli
