// The six pages of the main window without their windows: what each list
// holds, which buttons and menu items are enabled, and what a click, a
// button or a menu command does. Every handler works on the current
// controller and reports failures through the session's error routine.
#ifndef GUI_PAGES_H
#define GUI_PAGES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lists.h"
#include "session.h"

namespace gui {

enum class page_id { view, create, remove, spares, restore, maintain };
inline constexpr int page_count = 6;

// Refresh requests: 0 after a tab switch or a command, 1 from the timer.
inline constexpr int refresh_plain = 0;
inline constexpr int refresh_timer = 1;

// The dialogs a page opens; the window layer opens them and asks the core
// for their texts (info_text.h, operations.h).
enum class dialog_kind { none, adapter_info, ld_info, rld_info, hdd_info, raid_info };

struct dialog_request {
    dialog_kind kind = dialog_kind::none;
    int number = -1; // logical drive, restorable or drive
};

// What IDD_RAID_INFO shows and sends, in creation or restore mode.
struct setup_request {
    bool restore = false;
    int restorable = 0;
    std::uint8_t number = 0; // the new logical drive
    std::uint8_t drive_count = 0;
    std::vector<std::uint8_t> drives;
    std::uint8_t hot_spare_mode = 2;
    std::uint8_t raid_level = 0;
    std::uint8_t sub_groups = 1;
    std::uint8_t read_cache_off = 0;
    std::uint8_t write_cache_off = 0;
    std::uint32_t capacity_mb = 0;
    bool sizes_differ = false;
};

struct page_state {
    explicit page_state(page_id which) : id(which) {}

    page_id id;
    drive_marks marks;
    std::vector<row> ld_rows;      // View, Delete
    std::vector<row> hdd_rows;     // View, Create, Global HS, Restore
    std::vector<row> spare_rows;   // Global HS
    std::vector<row> restore_rows; // Restore
    std::vector<row> task_rows;    // Maintain
    int selected = -1;             // selected row of the list that clicks act on
    std::array<bool, 4> buttons{}; // enabled states, in the order of page_buttons

    // "Create Logical Drive" controls.
    std::string info_text;
    std::vector<std::string> levels;
    int level = -1;
    bool levels_enabled = false;
    bool read_cache_on = false;
    bool read_cache_enabled = false;
    bool write_cache_on = false;
    bool write_cache_enabled = false;

    setup_request setup; // filled before IDD_RAID_INFO opens
};

// The texts of a page's buttons; their enabled states are page_state::buttons.
[[nodiscard]] std::vector<const char*> page_buttons(page_id page);

// Tabs: a different page from the shown one gets a plain refresh.
[[nodiscard]] bool tab_changes_page(int shown, int selected);

// A refresh request (WM_USER with 0 or 1).
void refresh_page(session& s, page_state& page, int parameter);

// A click on the list that selects (the drive list of "Create Logical
// Drive" and "Setup Global HS", the logical-drive, restorable or task list
// of the others); -1 for a click beside every row.
void click_row(session& s, page_state& page, int row);

// "Create Logical Drive": another entry of the level box, and the two cache
// boxes.
void choose_level(session& s, page_state& page, int index);
void set_cache_boxes(page_state& page, bool read_on, bool write_on);

// Popup menus of the drive and logical-drive lists.
enum class menu_command { ld_info, ld_reload, hdd_info, hdd_reload, hdd_good, hdd_fail, led_on, led_off };

struct drive_menu_state {
    bool info = false;
    bool force_good = false;
    bool force_failed = false;
    bool location = false; // the "Location" submenu
};

[[nodiscard]] drive_menu_state drive_menu(const page_state& page, int row);

// A command of a drive menu (or a double-click: hdd_info) on drive list row
// `row`; answers the dialog to open.
[[nodiscard]] dialog_request drive_command(session& s, page_state& page, int row, menu_command command);
// A command of a logical-drive menu (or a double-click: ld_info) on row `row`.
[[nodiscard]] dialog_request ld_command(session& s, page_state& page, int row, menu_command command);

} // namespace gui

#endif
