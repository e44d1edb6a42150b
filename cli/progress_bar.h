// Progress bars drawn in place: a line with 46 dash positions (columns 19 to
// 41 and 46 to 68) around a two-digit percentage at column 42 and " %". For
// every value from the last one drawn up to the new one the digits are
// rewritten, and every second value replaces the next dash by a star, so 37
// percent shows "37" and 18 stars and 100 percent shows "100%" and 46 stars.
// The task commands and the firmware update draw the same way.
#ifndef CLI_PROGRESS_BAR_H
#define CLI_PROGRESS_BAR_H

#include <functional>
#include <string>
#include <string_view>

#include <plat/console.h>

namespace cli {

inline constexpr int bar_first_star_column = 19;
inline constexpr int bar_percent_column = 42; // "%02d"; 100 covers column 44
inline constexpr int bar_sign_column = 45;    // the "%" after the digits
inline constexpr int bar_full_percent = 100;

// How far one bar has been drawn.
struct bar_state {
    int next_percent = 0;
    int star_column = bar_first_star_column;
};

// Puts text at a column of the bar line.
using bar_writer = std::function<void(int column, std::string_view text)>;

// The percentage a bar can show: `percent` cut to 0-100.
[[nodiscard]] int bar_percent(int percent);

// Draws the value state.next_percent and moves on to the next one.
void draw_bar_step(bar_state& state, const bar_writer& put);

// Draws every value from state.next_percent up to `percent` (cut to 0-100).
void draw_bar_to(bar_state& state, int percent, const bar_writer& put);

// Draws on console row `row`, putting the cursor back at `home` after each
// piece.
[[nodiscard]] bar_writer console_bar_writer(int row, plat::console_cursor home);

// The text of a bar line as it reads once drawn from 0 up to `percent`.
[[nodiscard]] std::string drawn_bar_line(std::string blank_line, int percent);

// The bar line of the task commands for an adapter and a drive, not yet
// drawn, with its closing "\r".
[[nodiscard]] std::string task_bar_line(int adapter, int drive);

// Prints the bar line of (adapter, drive) as a message line and draws it at
// once from 0 up to `percent`. When standard output is not a console the
// line is printed as it would read once drawn.
void show_progress_bar(int adapter, int drive, int percent);

} // namespace cli

#endif
