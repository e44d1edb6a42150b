// The hosted command-line driver of the utility's core: one run is the main
// window's life, and the arguments are the steps a person would take in it
// (switch a tab, click a row, press a button, choose a menu command, update
// firmware), each printing what the window would show.
#ifndef GUI_DRIVER_H
#define GUI_DRIVER_H

namespace gui {

// Exit status: 0 for an early end (usage, second instance), 1 after the
// main window ran, as the utility itself ends.
[[nodiscard]] int run_driver(int argc, const char* const* argv);

} // namespace gui

#endif
