// The hosted desktop's store: every message box shown on the simulated
// machine, one file per box in <root>/desktop, named by its number (8
// digits, 1 for the first box since the desktop was made or cleared). A file
// holds a line "0x<style, 8 hex digits> <caption length>", the caption and
// the text as given. A box file appears whole (it is written aside and then
// linked under the first free number), so readers never see half a box.
// Shared by the platform layer (which records) and zansim (which lists and
// clears). The functions return 0 or an errno value.
#ifndef PLAT_HOSTED_DESKTOP_STORE_H
#define PLAT_HOSTED_DESKTOP_STORE_H

#include <cstdint>
#include <string>
#include <vector>

namespace plat::hosted {

struct desktop_box {
    std::uint32_t number = 0;
    std::uint32_t style = 0;
    std::string caption;
    std::string text;
};

std::string desktop_path(const std::string& root);

// Records `box`, numbering it one past the boxes recorded so far.
[[nodiscard]] int append_box(const std::string& root, desktop_box& box);

// Every box, oldest first; no desktop folder is an empty desktop.
[[nodiscard]] int read_boxes(const std::string& root, std::vector<desktop_box>& out);

// Removes every box; numbering starts again at 1.
[[nodiscard]] int clear_boxes(const std::string& root);

} // namespace plat::hosted

#endif
