// WinMain, the main window with its tab control and the six page dialogs.
// Every decision is the core's; this file only moves its answers onto the
// controls and the user's actions into it.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <plat/sync.h>

#include "app.h"
#include "operations.h"
#include "resource.h"
#include "settings.h"

namespace gui::win {

namespace {

app* current_app = nullptr;

// The list that clicks act on, per page.
int selecting_list(page_id id)
{
    switch (id) {
    case page_id::view:
    case page_id::create:
    case page_id::spares:
        return IDC_LIST_HDD;
    case page_id::remove:
        return IDC_LIST_LD;
    case page_id::restore:
    case page_id::maintain:
        break;
    }
    return IDC_LIST_SUB;
}

// The logical-drive list of a page, 0 when it has none.
int ld_list(page_id id)
{
    switch (id) {
    case page_id::view:
    case page_id::remove:
        return IDC_LIST_LD;
    case page_id::restore:
    case page_id::maintain:
        return IDC_LIST_SUB;
    default:
        return 0;
    }
}

void sync_page(app& a, HWND window, const page_state& p)
{
    const int selecting = selecting_list(p.id);
    const auto fill = [&](int id, const std::vector<row>& rows) {
        if (HWND list = GetDlgItem(window, id)) fill_rows(list, rows, id == selecting ? p.selected : -1);
    };
    switch (p.id) {
    case page_id::view:
        fill(IDC_LIST_LD, p.ld_rows);
        fill(IDC_LIST_HDD, p.hdd_rows);
        break;
    case page_id::create:
        fill(IDC_LIST_HDD, p.hdd_rows);
        set_item_text(window, IDC_INFO_TEXT, p.info_text);
        fill_combo(window, IDC_LEVEL, p.levels, p.level);
        enable(window, IDC_LEVEL, p.levels_enabled);
        set_item_text(window, IDC_COUNT, std::to_string(p.marks.members.size()));
        set_checked(window, IDC_READ_CACHE, p.read_cache_on);
        set_checked(window, IDC_WRITE_CACHE, p.write_cache_on);
        enable(window, IDC_READ_CACHE, p.read_cache_enabled);
        enable(window, IDC_WRITE_CACHE, p.write_cache_enabled);
        break;
    case page_id::remove:
        fill(IDC_LIST_LD, p.ld_rows);
        break;
    case page_id::spares:
        fill(IDC_LIST_SUB, p.spare_rows);
        fill(IDC_LIST_HDD, p.hdd_rows);
        break;
    case page_id::restore:
        fill(IDC_LIST_SUB, p.restore_rows);
        fill(IDC_LIST_HDD, p.hdd_rows);
        break;
    case page_id::maintain:
        fill(IDC_LIST_SUB, p.task_rows);
        break;
    }
    const std::size_t count = page_buttons(p.id).size();
    for (std::size_t i = 0; i < count; ++i) enable(window, IDC_BUTTON0 + static_cast<int>(i), p.buttons[i]);
    close_if_fatal(a);
}

void init_page(app& a, HWND window, int index)
{
    SetWindowLongPtrW(window, GWLP_USERDATA, index);
    const page_id id = a.pages[static_cast<std::size_t>(index)].id;
    if (HWND list = GetDlgItem(window, IDC_LIST_LD)) set_columns(list, ld_columns);
    if (HWND list = GetDlgItem(window, IDC_LIST_HDD)) set_columns(list, hdd_columns);
    if (HWND list = GetDlgItem(window, IDC_LIST_SUB)) {
        if (id == page_id::spares) set_columns(list, spare_columns);
        if (id == page_id::restore) set_columns(list, restore_columns);
        if (id == page_id::maintain) set_columns(list, task_columns);
    }
    const std::vector<const char*> names = page_buttons(id);
    for (std::size_t i = 0; i < names.size(); ++i) set_item_text(window, IDC_BUTTON0 + static_cast<int>(i), names[i]);
    if (id == page_id::view) {
        std::vector<std::string> entries;
        for (int i = 0; i < static_cast<int>(a.s.controllers.size()); ++i) entries.push_back(controller_box_text(a.s, i));
        fill_combo(window, IDC_CONTROLLER, entries, a.s.current);
    }
}

// The popup menus, built at run time.
// Appends a menu item with its text in the session's language.
void append(HMENU menu, UINT flags, UINT_PTR id, const text& label)
{
    AppendMenuW(menu, flags, id, wide(the_app().s.tr(label)).c_str());
}

UINT drive_popup(HWND window, const page_state& p, int row_index)
{
    const drive_menu_state m = drive_menu(p, row_index);
    const auto flag = [](bool enabled) { return enabled ? MF_ENABLED : MF_GRAYED; };
    HMENU location = CreatePopupMenu();
    AppendMenuW(location, MF_STRING, ID_HDD_MENU_LED_ACT, L"ON");
    AppendMenuW(location, MF_STRING, ID_HDD_MENU_LED_OFF, L"OFF");
    HMENU menu = CreatePopupMenu();
    append(menu, MF_STRING | flag(m.info), ID_HDD_MENU_INFO, texts::menu_hdd_info);
    append(menu, MF_STRING, ID_HDD_MENU_RELOAD, texts::menu_update);
    append(menu, MF_STRING | flag(m.force_good), ID_HDD_MENU_STS_GOOD, texts::menu_force_good);
    append(menu, MF_STRING | flag(m.force_failed), ID_HDD_MENU_STS_FAIL, texts::menu_force_failed);
    append(menu, MF_POPUP | flag(m.location), reinterpret_cast<UINT_PTR>(location), texts::menu_location);
    POINT at{};
    GetCursorPos(&at);
    const UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
    DestroyMenu(menu);
    return command;
}

UINT ld_popup(HWND window)
{
    HMENU menu = CreatePopupMenu();
    append(menu, MF_STRING, ID_LD_MENU_INFO, texts::menu_ld_info);
    append(menu, MF_STRING, ID_LD_MENU_RELOAD, texts::menu_update);
    POINT at{};
    GetCursorPos(&at);
    const UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
    DestroyMenu(menu);
    return command;
}

menu_command command_of(UINT id)
{
    switch (id) {
    case ID_LD_MENU_INFO:
        return menu_command::ld_info;
    case ID_LD_MENU_RELOAD:
        return menu_command::ld_reload;
    case ID_HDD_MENU_INFO:
        return menu_command::hdd_info;
    case ID_HDD_MENU_RELOAD:
        return menu_command::hdd_reload;
    case ID_HDD_MENU_STS_GOOD:
        return menu_command::hdd_good;
    case ID_HDD_MENU_STS_FAIL:
        return menu_command::hdd_fail;
    case ID_HDD_MENU_LED_ACT:
        return menu_command::led_on;
    default:
        return menu_command::led_off;
    }
}

void list_notice(app& a, HWND window, page_state& p, const NMHDR& notice)
{
    HWND list = notice.hwndFrom;
    const int row_index = selected_row(list);
    const int id = static_cast<int>(notice.idFrom);
    const bool drives = id == IDC_LIST_HDD;
    const bool lds = id == ld_list(p.id);
    if (notice.code == NM_CLICK && id == selecting_list(p.id)) {
        click_row(a.s, p, row_index);
    } else if (notice.code == NM_DBLCLK && drives) {
        open_dialog(a, window, p, drive_command(a.s, p, row_index, menu_command::hdd_info));
    } else if (notice.code == NM_DBLCLK && lds) {
        open_dialog(a, window, p, ld_command(a.s, p, row_index, menu_command::ld_info));
    } else if (notice.code == NM_RCLICK && drives && row_index >= 0) {
        const UINT command = drive_popup(window, p, row_index);
        if (command != 0) open_dialog(a, window, p, drive_command(a.s, p, row_index, command_of(command)));
    } else if (notice.code == NM_RCLICK && lds && row_index >= 0) {
        const UINT command = ld_popup(window);
        if (command != 0) open_dialog(a, window, p, ld_command(a.s, p, row_index, command_of(command)));
    } else {
        return;
    }
    sync_page(a, window, p);
}

INT_PTR CALLBACK page_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    app& a = the_app();
    if (msg == WM_INITDIALOG) {
        init_page(a, window, static_cast<int>(lparam));
        return TRUE;
    }
    page_state& p = a.pages[static_cast<std::size_t>(GetWindowLongPtrW(window, GWLP_USERDATA))];
    switch (msg) {
    case refresh_message:
        refresh_page(a.s, p, static_cast<int>(wparam));
        sync_page(a, window, p);
        return TRUE;
    case WM_NOTIFY:
        list_notice(a, window, p, *reinterpret_cast<const NMHDR*>(lparam));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if (id >= IDC_BUTTON0 && id <= IDC_BUTTON3 && code == BN_CLICKED) {
            open_dialog(a, window, p, press_button(a.s, p, id - IDC_BUTTON0));
        } else if (id == IDC_LEVEL && code == CBN_SELCHANGE) {
            choose_level(a.s, p, combo_selection(window, IDC_LEVEL));
        } else if ((id == IDC_READ_CACHE || id == IDC_WRITE_CACHE) && code == BN_CLICKED) {
            set_cache_boxes(p, is_checked(window, IDC_READ_CACHE), is_checked(window, IDC_WRITE_CACHE));
        } else if (id == IDC_CONTROLLER && code == CBN_SELCHANGE) {
            if (select_controller(a.s, combo_selection(window, IDC_CONTROLLER))) {
                refresh_page(a.s, p, refresh_plain);
            } else {
                SendDlgItemMessageW(window, IDC_CONTROLLER, CB_SETCURSEL, static_cast<WPARAM>(a.s.current), 0);
            }
        } else {
            return FALSE;
        }
        sync_page(a, window, p);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void show_page(app& a, int index)
{
    for (HWND page : a.page_windows) ShowWindow(page, SW_HIDE);
    ShowWindow(a.page_windows[static_cast<std::size_t>(index)], SW_SHOW);
    if (tab_changes_page(a.shown, index)) {
        PostMessageW(a.page_windows[static_cast<std::size_t>(index)], refresh_message, refresh_plain, 0);
        a.shown = index;
    }
}

bool init_main(app& a, HWND window)
{
    a.main = window;
    a.boxes.owner = window;
    set_text(window, a.s.tr(texts::console_title));
    set_item_text(window, IDCANCEL, "CLOSE");
    if (!init_controllers(a.s)) return false;

    // The tabs first: the page area below them depends on their height.
    a.tab = GetDlgItem(window, IDC_TAB);
    for (int i = 0; i < page_count; ++i) {
        std::wstring name = wide(a.s.tr(texts::page_names[i]));
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        SendMessageW(a.tab, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    RECT area{};
    GetClientRect(a.tab, &area);
    TabCtrl_AdjustRect(a.tab, FALSE, &area);
    MapWindowPoints(a.tab, window, reinterpret_cast<POINT*>(&area), 2);
    const int templates[page_count] = {IDD_PAGE0, IDD_PAGE1, IDD_PAGE2, IDD_PAGE3, IDD_PAGE4, IDD_PAGE5};
    for (int i = 0; i < page_count; ++i) {
        HWND page = CreateDialogIndirectParamW(
            a.instance, dialog_template(a.instance, templates[i], a.s.settings.language), window, page_proc, i);
        SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, 0);
        a.page_windows[static_cast<std::size_t>(i)] = page;
    }
    ShowWindow(a.page_windows[0], SW_SHOW);
    PostMessageW(a.page_windows[0], refresh_message, refresh_plain, 0);
    SetTimer(window, timer_id, timer_ms, nullptr);
    return true;
}

INT_PTR power_broadcast(app& a, WPARAM event)
{
    const auto notice = [&](power_event e) { return power_notice(a.s, e); };
    bool timer_runs = true;
    switch (event) {
    case PBT_APMQUERYSUSPEND:
        timer_runs = notice(power_event::suspend_query);
        break;
    case PBT_APMQUERYSUSPENDFAILED:
        timer_runs = notice(power_event::suspend_failed);
        break;
    case PBT_APMSUSPEND:
        timer_runs = notice(power_event::suspend);
        break;
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
        timer_runs = notice(power_event::resume);
        break;
    default:
        return TRUE;
    }
    if (timer_runs) {
        SetTimer(a.main, timer_id, timer_ms, nullptr);
    } else if (event == PBT_APMQUERYSUSPEND) {
        KillTimer(a.main, timer_id);
    }
    return TRUE;
}

INT_PTR CALLBACK main_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    app& a = the_app();
    switch (msg) {
    case WM_INITDIALOG:
        if (!init_main(a, window)) EndDialog(window, 0);
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lparam)->code == TCN_SELCHANGE) show_page(a, TabCtrl_GetCurSel(a.tab));
        return TRUE;
    case WM_TIMER:
        if (timer_tick(a.s) && a.shown == static_cast<int>(page_id::maintain))
            PostMessageW(a.page_windows[static_cast<std::size_t>(a.shown)], refresh_message, refresh_timer, 0);
        return TRUE;
    case WM_POWERBROADCAST:
        SetWindowLongPtrW(window, DWLP_MSGRESULT, power_broadcast(a, wparam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDCANCEL) {
            KillTimer(window, timer_id);
            EndDialog(window, 1);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR run_dialog(app& a, HWND owner, int id, DLGPROC procedure, LPARAM parameter)
{
    // A modal dialog disables its owner; a page is a child window, so the
    // owner is the page's top-level window, or the main window's tabs and
    // CLOSE stay live under the dialog.
    HWND top = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    return DialogBoxIndirectParamW(a.instance, dialog_template(a.instance, id, a.s.settings.language), top,
                                   procedure, parameter);
}

app& the_app()
{
    return *current_app;
}

void close_if_fatal(app& a)
{
    if (a.s.fatal && a.main != nullptr) {
        KillTimer(a.main, timer_id);
        EndDialog(a.main, 1);
    }
}

} // namespace gui::win

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace gui;
    using namespace gui::win;
    message_boxes boxes;
    session s(boxes, read_settings());
    const LANGID language = s.settings.language == locale::japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                                                    : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));

    plat::named_mutex instance_mutex;
    bool already = false;
    if (!instance_mutex.create("ZANUtil", true, already) || already) {
        boxes.show({s.tr(texts::already_running), s.tr(texts::console_title), icon::error, buttons::ok, false});
        return 0;
    }
    open_debug_log(s);
    if (!IsUserAnAdmin()) {
        s.log.entry(log_level_error, s.settings.debug_level, "WinMain-IsUserAnAdmin");
        boxes.show({s.tr(texts::must_be_admin), s.tr(texts::console_title), icon::error, buttons::ok, false});
        s.log.close();
        (void)instance_mutex.release();
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    app a(s, boxes);
    a.instance = instance;
    current_app = &a;
    run_dialog(a, nullptr, IDD_MAIN, main_proc, 0);
    current_app = nullptr;
    s.log.close();
    (void)instance_mutex.release();
    (void)finContData();
    return 1;
}
