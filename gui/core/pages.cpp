#include "pages.h"

#include <algorithm>

#include "state_text.h"

namespace gui {

namespace {

const char* const page_procs[page_count] = {"Page0Proc", "Page1Proc", "Page2Proc",
                                            "Page3Proc", "Page4Proc", "Page5Proc"};

const char* proc_of(const page_state& page)
{
    return page_procs[static_cast<int>(page.id)];
}

const text& name_of(const page_state& page)
{
    return texts::page_names[static_cast<int>(page.id)];
}

bool valid_row(const std::vector<row>& rows, int index)
{
    return index >= 0 && index < static_cast<int>(rows.size());
}

// Level choices by the number of selected drives (1 to 8).
const std::vector<std::string>& level_choices(std::size_t count)
{
    static const std::vector<std::string> choices[] = {
        {},
        {"RAID0"},
        {"RAID0", "RAID1"},
        {"RAID0", "RAID5"},
        {"RAID0", "RAID5", "RAID10"},
        {"RAID0", "RAID5"},
        {"RAID0", "RAID5", "RAID10"},
        {"RAID0"},
        {"RAID0", "RAID10"},
    };
    return choices[std::min<std::size_t>(count, std::size(choices) - 1)];
}

// setMakeLDRAIDinfo2: the capacity, level code and hot-spare mode of the
// selection under the chosen level, and the information text.
void compute_new_ld(session& s, page_state& page)
{
    drive_marks& m = page.marks;
    const controller_view& view = s.controller();
    bool spare_available = false;
    std::uint32_t smallest = 0;
    bool first = true;
    m.sizes_differ = false;
    for (int hdd = 0; hdd < view.slots; ++hdd) {
        if (view.status.hdd_state[hdd] == hdd_absent) continue;
        zan::PhysicalDriveInfo info{};
        if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
            report_access_error(s, "setMakeLDRAIDinfo2-getPhysicalDriveInfo");
            return;
        }
        const drive_mark mark = m.at(hdd);
        if (is_spare(info.drive_class) || (is_free(info.drive_class) && mark == drive_mark::none))
            spare_available = true;
        if (mark != drive_mark::new_member) continue;
        const std::uint32_t size = info.size_mb.get();
        if (!first && size != smallest) m.sizes_differ = true;
        smallest = first ? size : std::min(smallest, size);
        first = false;
    }
    const std::uint32_t n = static_cast<std::uint32_t>(m.members.size());
    const std::string level = page.level >= 0 && page.level < static_cast<int>(page.levels.size())
                                  ? page.levels[static_cast<std::size_t>(page.level)]
                                  : std::string();
    const std::uint8_t redundant_mode = spare_available ? spare_global : spare_none;
    m.sub_groups = 1;
    if (level == "RAID0") {
        m.capacity_mb = smallest * n;
        m.raid_level = 0;
        m.hot_spare_mode = spare_none;
    } else if (level == "RAID1") {
        m.capacity_mb = smallest;
        m.raid_level = 1;
        m.hot_spare_mode = redundant_mode;
    } else if (level == "RAID5") {
        m.capacity_mb = smallest * (n - 1);
        m.raid_level = 5;
        m.hot_spare_mode = redundant_mode;
    } else if (level == "RAID10") {
        m.capacity_mb = smallest * (n / 2);
        m.raid_level = 1;
        m.hot_spare_mode = spare_global;
    }
    page.info_text = format_text("Logical Drive No.\t\tLD%u\r\n", m.next_free) + "Logical Drive Capacity[GB]\t" +
                     new_ld_capacity_text(m.capacity_mb);
}

// The controls of "Create Logical Drive" after every change of the selection.
void update_create_controls(session& s, page_state& page)
{
    const std::size_t count = page.marks.members.size();
    const bool any = count > 0;
    page.levels = level_choices(count);
    page.level = any ? 0 : -1;
    page.levels_enabled = any;
    page.read_cache_on = any;
    page.read_cache_enabled = any;
    const controller_view& view = s.controller();
    page.write_cache_on = any && view.kind == 1 && view.status.battery_status == zan::ABSENT;
    page.write_cache_enabled = any;
    page.buttons = {any, any, false, false};
    compute_new_ld(s, page);
}

// HDDSelectCheck: a free drive joins the selection, a selected one leaves it.
void toggle_member(session& s, page_state& page, int hdd)
{
    if (!hdd_present(s.controller().status.hdd_state[hdd])) return;
    zan::PhysicalDriveInfo info{};
    if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
        report_access_error(s, "HDDSelectCheck-getPhysicalDriveInfo");
        return;
    }
    drive_marks& m = page.marks;
    auto& mark = m.marks[static_cast<std::size_t>(hdd)];
    if (mark == drive_mark::new_member) {
        mark = drive_mark::none;
        m.members.erase(std::find(m.members.begin(), m.members.end(), hdd));
    } else if (is_free(info.drive_class)) {
        mark = drive_mark::new_member;
        m.members.push_back(static_cast<std::uint8_t>(hdd));
    }
}

// HSPSelectUpdate: marks for assigning and releasing global spares; a
// controller never gets more than two spares.
void toggle_spare(session& s, page_state& page, int hdd)
{
    if (!hdd_present(s.controller().status.hdd_state[hdd])) return;
    zan::PhysicalDriveInfo info{};
    if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
        report_access_error(s, "HSPSelectUpdate-getPhysicalDriveInfo");
        return;
    }
    drive_marks& m = page.marks;
    auto& mark = m.marks[static_cast<std::size_t>(hdd)];
    if (info.drive_class == use_free_spare) {
        mark = mark == drive_mark::release_spare ? drive_mark::none : drive_mark::release_spare;
    } else if (mark == drive_mark::add_spare) {
        mark = drive_mark::none;
        --m.add_spare_count;
    } else if (is_free(info.drive_class) && m.add_spare_count < 2 - m.spare_count) {
        mark = drive_mark::add_spare;
        ++m.add_spare_count;
    }
}

void fill_create_page(session& s, page_state& page)
{
    if (!fill_hdd_list(s, page.marks, page.hdd_rows)) return;
    update_create_controls(s, page);
}

// The buttons of "Maintain Logical Drive" for the selected task row.
void update_task_buttons(page_state& page)
{
    page.buttons = {};
    if (!valid_row(page.task_rows, page.selected)) return;
    const row& r = page.task_rows[static_cast<std::size_t>(page.selected)];
    const bool idle = r[task_col_progress] == "-";
    if (r[task_col_available] == "Rebuild") {
        page.buttons[0] = idle;
    } else if (r[task_col_available] == "Check Consistency") {
        page.buttons = {false, idle, idle, !idle};
    }
}

void refresh_tasks(session& s, page_state& page, int parameter)
{
    if (parameter == refresh_timer) {
        const int kept = page.selected;
        const bool was_running =
            valid_row(page.task_rows, kept) && page.task_rows[static_cast<std::size_t>(kept)][task_col_progress] != "-";
        if (!refresh_status(s, "Page5Proc")) return;
        if (fill_task_list(s, page.task_rows)) {
            refresh_tasks(s, page, refresh_plain);
            return;
        }
        page.selected = valid_row(page.task_rows, kept) ? kept : -1;
        const bool now_idle = page.selected < 0 ||
                              page.task_rows[static_cast<std::size_t>(page.selected)][task_col_progress] == "-";
        if (was_running && now_idle) page.buttons = {};
        return;
    }
    page.selected = -1;
    page.buttons = {};
    if (fill_task_list(s, page.task_rows) && !s.fatal) (void)fill_task_list(s, page.task_rows);
}

} // namespace

std::vector<const char*> page_buttons(page_id page)
{
    switch (page) {
    case page_id::view:
        return {"adapter Information"};
    case page_id::create:
        return {"CREATE", "CANCEL"};
    case page_id::remove:
        return {"DELETE"};
    case page_id::spares:
        return {"SET", "CANCEL"};
    case page_id::restore:
        return {"RESTORE", "DELETE"};
    case page_id::maintain:
        break;
    }
    return {"REBUILD", "Check Consistency", "Make Parity", "STOP"};
}

bool tab_changes_page(int shown, int selected)
{
    return shown != selected;
}

void refresh_page(session& s, page_state& page, int parameter)
{
    if (s.fatal) return;
    if (page.id == page_id::maintain) {
        refresh_tasks(s, page, parameter);
        return;
    }
    page.selected = -1;
    page.marks.clear();
    page.buttons = {page.id == page_id::view, false, false, false};
    if (!refresh_status(s, proc_of(page))) return;
    page.marks.next_free = next_free_ld(s.controller().status);
    switch (page.id) {
    case page_id::view:
        fill_ld_list(s, page.ld_rows);
        if (!s.fatal) (void)fill_hdd_list(s, page.marks, page.hdd_rows);
        break;
    case page_id::create:
        fill_create_page(s, page);
        break;
    case page_id::remove:
        fill_ld_list(s, page.ld_rows);
        break;
    case page_id::spares:
        fill_spare_list(s, page.spare_rows);
        if (!s.fatal) (void)fill_hdd_list(s, page.marks, page.hdd_rows);
        break;
    case page_id::restore:
        fill_restore_list(s, page.restore_rows);
        if (!s.fatal) (void)fill_hdd_list(s, page.marks, page.hdd_rows);
        break;
    case page_id::maintain:
        break;
    }
}

void click_row(session& s, page_state& page, int index)
{
    switch (page.id) {
    case page_id::view:
        page.selected = valid_row(page.hdd_rows, index) ? index : -1;
        break;
    case page_id::create:
        if (!valid_row(page.hdd_rows, index) || page.hdd_rows[static_cast<std::size_t>(index)][hdd_col_state] == "FAILED")
            return;
        if (!refresh_status(s, proc_of(page))) return;
        toggle_member(s, page, index);
        if (!s.fatal) fill_create_page(s, page);
        page.selected = index;
        break;
    case page_id::remove:
        page.selected = valid_row(page.ld_rows, index) ? index : -1;
        page.buttons[0] = page.selected >= 0;
        break;
    case page_id::spares: {
        if (!valid_row(page.hdd_rows, index)) return;
        const row& r = page.hdd_rows[static_cast<std::size_t>(index)];
        if (r[hdd_col_state] == "FAILED" && r[hdd_col_ld] == "Free") return;
        if (!refresh_status(s, proc_of(page))) return;
        toggle_spare(s, page, index);
        if (!s.fatal) (void)fill_hdd_list(s, page.marks, page.hdd_rows);
        page.selected = index;
        const bool marked = page.marks.any();
        page.buttons = {marked, marked, false, false};
        break;
    }
    case page_id::restore:
        page.selected = valid_row(page.restore_rows, index) ? index : -1;
        page.buttons = {};
        if (page.selected >= 0) {
            const row& r = page.restore_rows[static_cast<std::size_t>(index)];
            page.buttons = {r[restore_col_members] != "HDD short", true, false, false};
        }
        break;
    case page_id::maintain:
        page.selected = valid_row(page.task_rows, index) ? index : -1;
        update_task_buttons(page);
        break;
    }
}

void choose_level(session& s, page_state& page, int index)
{
    if (index < 0 || index >= static_cast<int>(page.levels.size())) return;
    page.level = index;
    compute_new_ld(s, page);
}

void set_cache_boxes(page_state& page, bool read_on, bool write_on)
{
    if (page.read_cache_enabled) page.read_cache_on = read_on;
    if (page.write_cache_enabled) page.write_cache_on = write_on;
}

drive_menu_state drive_menu(const page_state& page, int index)
{
    if (!valid_row(page.hdd_rows, index)) return {};
    const row& r = page.hdd_rows[static_cast<std::size_t>(index)];
    if (r[hdd_col_ld] == "-") return {};
    return {true, r[hdd_col_state] != "GOOD", false, true};
}

dialog_request drive_command(session& s, page_state& page, int index, menu_command command)
{
    if (!valid_row(page.hdd_rows, index)) return {};
    const int hdd = index;
    switch (command) {
    case menu_command::hdd_info:
        return drive_menu(page, index).info ? dialog_request{dialog_kind::hdd_info, hdd} : dialog_request{};
    case menu_command::hdd_reload:
        if (refresh_status(s, proc_of(page))) (void)fill_hdd_list(s, page.marks, page.hdd_rows);
        return {};
    default:
        break;
    }
    // Commands of disabled menu items never arrive from the window.
    const drive_menu_state menu = drive_menu(page, index);
    const bool enabled = command == menu_command::hdd_good   ? menu.force_good
                         : command == menu_command::hdd_fail ? menu.force_failed
                                                             : menu.location;
    if (!enabled) return {};
    bool done = false;
    const char* call = "setHDDLocateLED";
    const text* failure = &texts::hdd_state_failed;
    const text* caption = &texts::page_names[0];
    switch (command) {
    case menu_command::hdd_good:
        done = setHDDsts_GOOD(s.current, hdd);
        call = "setHDDsts_GOOD";
        caption = &name_of(page);
        break;
    case menu_command::hdd_fail:
        done = setHDDsts_ALAM(s.current, hdd);
        call = "setHDDsts_ALAM";
        caption = &name_of(page);
        break;
    case menu_command::led_on:
        done = setHDDLocateLED(s.current, hdd, s.settings.locate_value);
        failure = &texts::led_on_failed;
        break;
    case menu_command::led_off:
        done = setHDDLocateLED(s.current, hdd, 0);
        failure = &texts::led_off_failed;
        break;
    default:
        return {};
    }
    if (!done) report_error(s, context_of(proc_of(page), call), *failure, *caption);
    refresh_page(s, page, refresh_plain);
    return {};
}

dialog_request ld_command(session& s, page_state& page, int index, menu_command command)
{
    const bool restore = page.id == page_id::restore;
    if (command == menu_command::ld_reload) {
        if (restore) {
            fill_restore_list(s, page.restore_rows);
        } else if (page.id == page_id::maintain) {
            (void)fill_task_list(s, page.task_rows);
        } else if (refresh_status(s, proc_of(page))) {
            fill_ld_list(s, page.ld_rows);
        }
        return {};
    }
    if (command != menu_command::ld_info) return {};
    if (restore) {
        const std::optional<int> number = restorable_of_row(page.restore_rows, index);
        return number ? dialog_request{dialog_kind::rld_info, *number} : dialog_request{};
    }
    const std::vector<row>& rows = page.id == page_id::maintain ? page.task_rows : page.ld_rows;
    if (!valid_row(rows, index)) return {};
    const std::optional<int> ld = ld_of_row(s.controller().status, index);
    return ld ? dialog_request{dialog_kind::ld_info, *ld} : dialog_request{};
}

} // namespace gui
