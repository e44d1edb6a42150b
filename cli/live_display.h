// The live progress display of the task commands: one bar per running drive,
// redrawn drive by drive with a pause of 1000 ms after each, until a key is
// pressed; and the plain wait for a key when nothing runs.
#ifndef CLI_LIVE_DISPLAY_H
#define CLI_LIVE_DISPLAY_H

#include <cstdint>
#include <functional>
#include <vector>

namespace cli {

inline constexpr std::uint32_t display_poll_ms = 1000;
inline constexpr int max_display_drives = 32;

// A logical drive or a physical drive of an adapter.
struct display_drive {
    int adapter;
    int number;
};

// What one reading of a drive tells the display.
struct drive_progress {
    bool running; // the task the display watches is still running
    int percent;  // its progress
};

// Reads a drive; false when a library call failed (the error reported),
// which ends the display.
using progress_reader = std::function<bool(const display_drive& drive, drive_progress& progress)>;

// Shows the drives of `drives` (at most 32) that are running when the display
// starts, each with its bar, under a "Press any key to quit..." line. A bar
// whose task ends is shown complete and the quit line becomes "Press a key to
// continue..."; only a key ends the display, and the key is left waiting.
// Without a console to draw on, prints the internal error for a missing
// console output and returns.
void run_live_display(const std::vector<display_drive>& drives, const progress_reader& read);

// Prints "Press a key to continue..." and tests for a key every 1000 ms
// until one is pressed.
void wait_for_key();

} // namespace cli

#endif
