#include "operations.h"

#include <algorithm>

#include "state_text.h"

namespace gui {

namespace {

const text& create_caption = texts::page_names[static_cast<int>(page_id::create)];
const text& delete_caption = texts::page_names[static_cast<int>(page_id::remove)];
const text& spares_caption = texts::page_names[static_cast<int>(page_id::spares)];
const text& restore_caption = texts::page_names[static_cast<int>(page_id::restore)];
const text& maintain_caption = texts::page_names[static_cast<int>(page_id::maintain)];

std::string setup_level_text(const setup_request& setup)
{
    switch (setup.raid_level) {
    case 0:
        return "RAID0";
    case 1:
        return setup.drive_count > 3 ? "RAID10" : "RAID1";
    case 5:
        return "RAID5";
    case level_raid50:
        return "RAID50";
    default:
        return "UNKNOWN";
    }
}

// checkHspHDD: whether any drive of the controller is a spare.
bool controller_has_spare(session& s)
{
    const controller_view& view = s.controller();
    for (int hdd = 0; hdd < view.slots; ++hdd) {
        if (view.status.hdd_state[hdd] == hdd_absent) continue;
        zan::PhysicalDriveInfo info{};
        if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
            report_access_error(s, "checkHspHDD-getPhysicalDriveInfo");
            return true;
        }
        if (is_spare(info.drive_class)) return true;
    }
    return false;
}

void create_ld(session& s, const setup_request& setup)
{
    const controller_view& view = s.controller();
    if (setup.sizes_differ && !ask_question(s, s.tr(texts::sizes_differ), create_caption, icon::warning)) return;
    if (view.kind != 1 && view.status.battery_status == zan::ABSENT && setup.write_cache_off == 0 &&
        !ask_question(s, s.tr(texts::no_battery), create_caption, icon::warning))
        return;
    if (!ask_question(s, s.tr(texts::creating), create_caption, icon::none)) return;

    zan::CreateLDRecord record{};
    record.controller = static_cast<std::uint8_t>(s.current);
    record.group = setup.number;
    record.member_count = setup.drive_count;
    for (std::size_t i = 0; i < setup.drives.size() && i < sizeof record.members; ++i) record.members[i] = setup.drives[i];
    record.hot_spare_mode = setup.hot_spare_mode;
    record.raid_level = setup.raid_level;
    record.no_read_ahead = setup.read_cache_off;
    record.write_through = setup.write_cache_off;
    record.sub_group = setup.sub_groups;
    if (!createLD(&record)) report_error(s, "RAIDInfoProc-createLD", texts::create_failed, create_caption);
    if (!s.fatal && setup.hot_spare_mode == spare_global && !controller_has_spare(s))
        show_message(s, s.tr(texts::no_global_spare), create_caption, icon::warning);
}

void restore_ld(session& s, const setup_request& setup)
{
    if (s.controller().kind == 1 && setup.hot_spare_mode == spare_local) {
        show_message(s, s.tr(texts::restore_unsupported), restore_caption, icon::error);
        return;
    }
    if (!ask_question(s, format_text(s.tr(texts::restore_as), static_cast<std::uint32_t>(setup.restorable), setup.number),
                      restore_caption, icon::warning))
        return;
    zan::RestoreLDRecord record{};
    record.controller = static_cast<std::uint8_t>(s.current);
    record.action = 0;
    record.candidate = static_cast<std::uint8_t>(setup.restorable);
    record.group = setup.number;
    record.no_read_ahead = setup.read_cache_off;
    record.write_through = setup.write_cache_off;
    if (!configRestoreLD(&record)) show_message(s, s.tr(texts::restore_failed), restore_caption, icon::error);
}

// "CREATE": the creation parameters go to IDD_RAID_INFO.
dialog_request prepare_create(page_state& page)
{
    const drive_marks& m = page.marks;
    setup_request& setup = page.setup;
    setup = {};
    setup.number = m.next_free;
    setup.drives = m.members;
    setup.drive_count = static_cast<std::uint8_t>(m.members.size());
    setup.hot_spare_mode = m.hot_spare_mode;
    setup.raid_level = m.raid_level;
    setup.sub_groups = m.sub_groups;
    setup.read_cache_off = page.read_cache_on ? 0 : 1;
    setup.write_cache_off = page.write_cache_on ? 0 : 1;
    setup.capacity_mb = m.capacity_mb;
    setup.sizes_differ = m.sizes_differ;
    return {dialog_kind::raid_info, setup.number};
}

// "RESTORE": the restorable's record goes to IDD_RAID_INFO.
dialog_request prepare_restore(session& s, page_state& page)
{
    const std::optional<int> number = restorable_of_row(page.restore_rows, page.selected);
    if (!number) return {};
    zan::LogicalDriveInfo info{};
    if (!getRestoreLDInfo(s.current, *number, &info)) {
        report_access_error(s, "OnButtonRestore-getRestoreLDInfo");
        return {};
    }
    setup_request& setup = page.setup;
    setup = {};
    setup.restore = true;
    setup.restorable = *number;
    setup.number = next_free_ld(s.controller().status);
    setup.drive_count = info.member_count;
    setup.hot_spare_mode = info.hot_spare_mode;
    setup.raid_level = info.raid_level;
    setup.read_cache_off = info.read_cache;
    setup.write_cache_off = info.write_cache;
    setup.capacity_mb = info.size_mb.get();
    return {dialog_kind::raid_info, *number};
}

void delete_ld(session& s, page_state& page)
{
    const std::optional<int> ld = ld_of_row(s.controller().status, page.selected);
    if (!ld) return;
    if (!s.controller().drive_letters[static_cast<std::size_t>(*ld)].empty()) {
        show_message(s, s.tr(texts::has_drive_letters), delete_caption, icon::warning);
    } else if (ask_question(s, s.tr(texts::data_lost), delete_caption, icon::warning) &&
               ask_question(s, s.tr(texts::proceed_delete), delete_caption, icon::warning) &&
               (*ld != 0 || ask_question(s, s.tr(texts::delete_ld0), delete_caption, icon::warning))) {
        if (!deleteLD(s.current, *ld)) report_error(s, "Page2Proc-deleteLD", texts::delete_failed, delete_caption);
    }
    refresh_page(s, page, refresh_plain);
}

// CheckGHSPmode: whether a logical drive relies on the global spares.
bool global_mode_in_use(session& s)
{
    const zan::RaidStatus& status = s.controller().status;
    for (int ld = 0; ld < zan::MAX_GROUPS; ++ld) {
        if (status.ld_state[ld] == zan::ABSENT) continue;
        zan::LogicalDriveInfo info{};
        if (!getLogicalDriveInfo(s.current, ld, &info)) {
            report_access_error(s, "CheckGHSPmode-getLogicalDriveInfo");
            return false;
        }
        if (info.hot_spare_mode == spare_global) return true;
    }
    return false;
}

void apply_spares(session& s, page_state& page)
{
    const drive_marks& m = page.marks;
    const bool releases =
        std::find(m.marks.begin(), m.marks.end(), drive_mark::release_spare) != m.marks.end();
    const bool go_on = !releases || !global_mode_in_use(s) ||
                       ask_question(s, s.tr(texts::release_gbhsp), spares_caption, icon::warning);
    for (int hdd = 0; go_on && !s.fatal && hdd < max_slots; ++hdd) {
        if (m.at(hdd) == drive_mark::add_spare && !createGHS(s.current, hdd))
            report_error(s, "Page3Proc-createGHS", texts::assign_spare_failed, spares_caption);
        if (m.at(hdd) == drive_mark::release_spare && !deleteGHS(s.current, hdd))
            report_error(s, "Page3Proc-deleteGHS", texts::release_spare_failed, spares_caption);
    }
    refresh_page(s, page, refresh_plain);
}

void delete_restorable(session& s, page_state& page)
{
    const std::optional<int> number = restorable_of_row(page.restore_rows, page.selected);
    if (number && ask_question(s, s.tr(texts::delete_restorable), restore_caption, icon::warning)) {
        zan::RestoreLDRecord record{};
        record.controller = static_cast<std::uint8_t>(s.current);
        record.action = 1;
        record.candidate = static_cast<std::uint8_t>(*number);
        if (!configRestoreLD(&record))
            report_error(s, "OnButtonDel-configRestoreLD", texts::delete_failed, restore_caption);
    }
    refresh_page(s, page, refresh_plain);
}

// REBUILD, Check Consistency and Make Parity.
void start_task(session& s, page_state& page, int button)
{
    struct task {
        decltype(&start_Rebuild) start;
        const char* context;
        const text& failure;
    };
    static const task tasks[] = {
        {start_Rebuild, "Page5Proc-start_Rebuild", texts::rebuild_failed},
        {start_consistencyCheck, "Page5Proc-start_consistencyCheck", texts::check_failed},
        {start_makeParity, "Page5Proc-start_makeParity", texts::parity_failed},
    };
    const std::optional<int> ld = ld_of_row(s.controller().status, page.selected);
    if (!ld) return;
    const task& t = tasks[button];
    if (t.start(s.current, *ld)) {
        refresh_page(s, page, refresh_plain);
    } else {
        report_error(s, t.context, t.failure, maintain_caption);
    }
}

void stop_task(session& s, page_state& page)
{
    const std::optional<int> ld = ld_of_row(s.controller().status, page.selected);
    if (!ld) return;
    zan::LogicalDriveInfo info{};
    if (!getLogicalDriveInfo(s.current, *ld, &info)) {
        report_access_error(s, "Page5Proc-getLogicalDriveInfo");
        return;
    }
    if (info.maintenance_state == 1) {
        if (!stop_consistencyCheck(s.current, *ld)) {
            report_error(s, "Page5Proc-stop_consistencyCheck", texts::stop_check_failed, maintain_caption);
            return;
        }
    } else if (info.maintenance_state == 2) {
        if (!stop_makeParity(s.current, *ld)) {
            report_error(s, "Page5Proc-stop_makeParity", texts::stop_parity_failed, maintain_caption);
            return;
        }
    } else {
        show_message(s, s.tr(texts::already_finished), maintain_caption, icon::warning);
    }
    refresh_page(s, page, refresh_plain);
}

} // namespace

const text& setup_title(const setup_request& setup)
{
    return setup.restore ? texts::restore_setup_title : texts::setup_info_title;
}

std::string setup_text(const setup_request& setup)
{
    std::string text;
    if (setup.restore) text += format_text("Logical Drive(Restore) No.\tRLD%u\r\n", static_cast<std::uint32_t>(setup.restorable));
    text += format_text("Logical Drive No.\t\tLD%u\r\n", setup.number);
    text += format_text("Number of HDDs\t\t%u\r\n", setup.drive_count);
    text += hot_spare_line(setup.hot_spare_mode);
    text += "RAID Level\t\t" + setup_level_text(setup) + "\r\n";
    text += cache_lines(setup.read_cache_off, setup.write_cache_off);
    text += "Logical Drive Capacity[GB]\t" + new_ld_capacity_text(setup.capacity_mb);
    return text;
}

void close_setup(session& s, page_state& page, bool ok)
{
    if (ok) {
        if (page.setup.restore) {
            restore_ld(s, page.setup);
        } else {
            create_ld(s, page.setup);
        }
    }
    refresh_page(s, page, refresh_plain);
}

dialog_request press_button(session& s, page_state& page, int button)
{
    if (s.fatal || button < 0 || button >= static_cast<int>(page_buttons(page.id).size()) ||
        !page.buttons[static_cast<std::size_t>(button)])
        return {};
    switch (page.id) {
    case page_id::view:
        return {dialog_kind::adapter_info, s.current};
    case page_id::create:
        if (button == 0) return prepare_create(page);
        refresh_page(s, page, refresh_plain);
        return {};
    case page_id::remove:
        delete_ld(s, page);
        return {};
    case page_id::spares:
        if (button == 0) {
            apply_spares(s, page);
        } else {
            refresh_page(s, page, refresh_plain);
        }
        return {};
    case page_id::restore:
        if (button == 0) return prepare_restore(s, page);
        delete_restorable(s, page);
        return {};
    case page_id::maintain:
        break;
    }
    if (button == 3) {
        stop_task(s, page);
    } else {
        start_task(s, page, button);
    }
    return {};
}

} // namespace gui
