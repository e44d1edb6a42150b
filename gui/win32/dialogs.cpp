// The dialogs the pages open: the setup confirmation, the information
// dialogs with their settings, and the adapter dialog's firmware update with
// its worker thread. Texts and decisions come from the core.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <memory>
#include <optional>

#include "app.h"
#include "firmware.h"
#include "info_text.h"
#include "operations.h"
#include "resource.h"

namespace gui::win {

namespace {

inline constexpr UINT step_message = WM_APP + 1;
inline constexpr UINT done_message = WM_APP + 2;

struct dialog_context {
    page_state* page = nullptr;
    dialog_request request;
    info_dialog info;
    firmware_update update;
    HANDLE worker = nullptr;
};

dialog_context& context_of(HWND window)
{
    return *reinterpret_cast<dialog_context*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

dialog_context& adopt(HWND window, LPARAM lparam)
{
    SetWindowLongPtrW(window, GWLP_USERDATA, lparam);
    return *reinterpret_cast<dialog_context*>(lparam);
}

setting_boxes adapter_boxes(HWND window)
{
    return {combo_selection(window, IDC_BOX0), combo_selection(window, IDC_BOX1), combo_selection(window, IDC_BOX2)};
}

setting_boxes ld_boxes(HWND window)
{
    return {is_checked(window, IDC_BOX0), is_checked(window, IDC_BOX1), is_checked(window, IDC_BOX2)};
}

// The initial focus on a button, so that the read-only text is not shown
// selected; answers WM_INITDIALOG.
INT_PTR focus_button(HWND window, int id)
{
    SetFocus(GetDlgItem(window, id));
    return FALSE;
}

INT_PTR CALLBACK setup_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    app& a = the_app();
    if (msg == WM_INITDIALOG) {
        dialog_context& c = adopt(window, lparam);
        set_text(window, a.s.tr(setup_title(c.page->setup)));
        set_item_text(window, IDC_TEXT, setup_text(c.page->setup));
        return focus_button(window, IDOK);
    }
    if (msg != WM_COMMAND) return FALSE;
    if (LOWORD(wparam) == IDOK) {
        enable(window, IDOK, false);
        close_setup(a.s, *context_of(window).page, true);
        EndDialog(window, IDOK);
    } else if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

INT_PTR CALLBACK hdd_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_INITDIALOG) {
        const dialog_context& c = adopt(window, lparam);
        set_text(window, the_app().s.tr(texts::hdd_info_title));
        set_item_text(window, IDC_TEXT, c.info.text);
        return focus_button(window, IDCANCEL);
    }
    if (msg == WM_COMMAND && (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK)) {
        EndDialog(window, LOWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ld_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    app& a = the_app();
    if (msg == WM_INITDIALOG) {
        const dialog_context& c = adopt(window, lparam);
        const bool restorable = c.request.kind == dialog_kind::rld_info;
        set_text(window, a.s.tr(restorable ? texts::rld_info_title : texts::ld_info_title));
        set_item_text(window, IDC_TEXT, c.info.text);
        for (int i = 0; i < 3; ++i) {
            set_checked(window, IDC_BOX0 + i, c.info.at_opening[static_cast<std::size_t>(i)] != 0);
            enable(window, IDC_BOX0 + i, c.info.settable);
        }
        enable(window, IDC_SET, false);
        return focus_button(window, IDCANCEL);
    }
    if (msg != WM_COMMAND) return FALSE;
    dialog_context& c = context_of(window);
    const int id = LOWORD(wparam);
    if (id >= IDC_BOX0 && id <= IDC_BOX2) {
        enable(window, IDC_SET, c.info.settable && settings_changed(c.info, ld_boxes(window)));
    } else if (id == IDC_SET) {
        HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        const bool done = set_ld_properties(a.s, c.request.number, c.info, ld_boxes(window));
        SetCursor(previous);
        enable(window, IDC_SET, !done);
        close_if_fatal(a);
    } else if (id == IDCANCEL) {
        if (!c.info.settable || may_close(a.s, c.info, ld_boxes(window), false)) EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

// Moves the firmware group and the settings between "update running" and idle.
void enable_adapter_controls(HWND window, dialog_context& c, bool enabled)
{
    for (int id : {IDC_BROWSE, IDCANCEL, IDC_BOX0, IDC_BOX1, IDC_BOX2}) enable(window, id, enabled);
    enable(window, IDC_UPDATE, enabled && update_button_enabled(item_text(window, IDC_PATH), false));
    enable(window, IDC_SET, enabled && settings_changed(c.info, adapter_boxes(window)));
}

DWORD WINAPI download_worker(LPVOID parameter)
{
    HWND window = static_cast<HWND>(parameter);
    dialog_context& c = context_of(window);
    std::optional<message> end = run_download(the_app().s, c.update, [window](std::uint32_t step) {
        PostMessageW(window, step_message, step, 0);
    });
    PostMessageW(window, done_message, 0, reinterpret_cast<LPARAM>(end ? new message(*end) : nullptr));
    return 0;
}

INT_PTR CALLBACK update_info_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_INITDIALOG) {
        const dialog_context& c = adopt(window, lparam);
        set_text(window, the_app().s.tr(texts::update_info_title));
        set_item_text(window, IDC_TEXT, update_info_text(the_app().s, c.update));
        return focus_button(window, IDOK);
    }
    if (msg == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

void start_update(app& a, HWND window, dialog_context& c)
{
    if (!check_update_image(a.s, c.update, item_text(window, IDC_PATH))) return;
    enable_adapter_controls(window, c, false);
    enable(window, IDC_UPDATE, false);
    const INT_PTR answer = run_dialog(a, window, IDD_UPDATE_INFO, update_info_proc,
                                           reinterpret_cast<LPARAM>(&c));
    if (answer != IDOK) {
        cancel_update(c.update);
        enable_adapter_controls(window, c, true);
        return;
    }
    if (!prepare_download(a.s, c.update)) {
        enable_adapter_controls(window, c, true);
        return;
    }
    const std::uint32_t steps = progress_steps(c.update.header.image_length.get());
    SendDlgItemMessageW(window, IDC_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(steps));
    SendDlgItemMessageW(window, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    c.worker = CreateThread(nullptr, 0, download_worker, window, 0, nullptr);
}

void browse(const app& a, HWND window)
{
    const std::wstring title = wide(a.s.tr(texts::select_update_file));
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = L"IMG(*.img)\0*.img\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog)) SetDlgItemTextW(window, IDC_PATH, path);
}

INT_PTR CALLBACK adapter_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    app& a = the_app();
    if (msg == WM_INITDIALOG) {
        dialog_context& c = adopt(window, lparam);
        set_text(window, a.s.tr(texts::adapter_info_title));
        set_item_text(window, IDC_TEXT, c.info.text);
        const std::vector<std::string> priorities(std::begin(priority_names), std::end(priority_names));
        fill_combo(window, IDC_BOX0, priorities, c.info.at_opening[0]);
        fill_combo(window, IDC_BOX1, priorities, c.info.at_opening[1]);
        fill_combo(window, IDC_BOX2, std::vector<std::string>(std::begin(patrol_names), std::end(patrol_names)),
                   c.info.at_opening[2]);
        SendDlgItemMessageW(window, IDC_PATH, EM_LIMITTEXT, path_box_limit, 0);
        enable(window, IDC_SET, false);
        enable(window, IDC_UPDATE, false);
        return focus_button(window, IDCANCEL);
    }
    dialog_context& c = context_of(window);
    switch (msg) {
    case step_message:
        SendDlgItemMessageW(window, IDC_PROGRESS, PBM_SETPOS, wparam, 0);
        return TRUE;
    case done_message: {
        const std::unique_ptr<message> end(reinterpret_cast<message*>(lparam));
        WaitForSingleObject(c.worker, INFINITE);
        CloseHandle(c.worker);
        c.worker = nullptr;
        if (end) a.boxes.show(*end);
        enable_adapter_controls(window, c, true);
        SetFocus(GetDlgItem(window, IDCANCEL)); // the focused Update button was disabled
        return TRUE;
    }
    case WM_COMMAND:
        break;
    default:
        return FALSE;
    }
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if ((id == IDC_BOX0 || id == IDC_BOX1 || id == IDC_BOX2) && code == CBN_SELCHANGE) {
        enable(window, IDC_SET, settings_changed(c.info, adapter_boxes(window)));
    } else if (id == IDC_SET) {
        HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        const bool done = set_adapter_settings(a.s, c.info, adapter_boxes(window));
        SetCursor(previous);
        enable(window, IDC_SET, !done);
        close_if_fatal(a);
    } else if (id == IDC_PATH && code == EN_CHANGE) {
        enable(window, IDC_UPDATE, update_button_enabled(item_text(window, IDC_PATH), c.update.running));
    } else if (id == IDC_BROWSE) {
        browse(a, window);
    } else if (id == IDC_UPDATE) {
        start_update(a, window, c);
    } else if (id == IDCANCEL && may_close(a.s, c.info, adapter_boxes(window), true)) {
        stop_update(c.update);
        if (c.worker != nullptr) {
            WaitForSingleObject(c.worker, INFINITE);
            CloseHandle(c.worker);
        }
        EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

void run_modal(app& a, HWND owner, int template_id, DLGPROC procedure, dialog_context& c)
{
    run_dialog(a, owner, template_id, procedure, reinterpret_cast<LPARAM>(&c));
}

} // namespace

void open_dialog(app& a, HWND owner, page_state& page, const dialog_request& request)
{
    dialog_context c;
    c.page = &page;
    c.request = request;
    switch (request.kind) {
    case dialog_kind::none:
        return;
    case dialog_kind::raid_info: {
        const INT_PTR result = run_dialog(a, owner, IDD_RAID_INFO, setup_proc,
                                               reinterpret_cast<LPARAM>(&c));
        if (result != IDOK) close_setup(a.s, page, false);
        break;
    }
    case dialog_kind::hdd_info:
        if (const std::optional<std::string> text = hdd_dialog(a.s, request.number)) {
            c.info.text = *text;
            run_modal(a, owner, IDD_HDD_INFO, hdd_proc, c);
        }
        break;
    case dialog_kind::ld_info:
    case dialog_kind::rld_info: {
        std::optional<info_dialog> info = request.kind == dialog_kind::ld_info ? ld_dialog(a.s, request.number)
                                                                               : restorable_dialog(a.s, request.number);
        if (!info) break;
        c.info = *info;
        run_modal(a, owner, IDD_LD_INFO, ld_proc, c);
        break;
    }
    case dialog_kind::adapter_info:
        if (std::optional<info_dialog> info = adapter_dialog(a.s)) {
            c.info = *info;
            run_modal(a, owner, IDD_CONT_INFO, adapter_proc, c);
        }
        break;
    }
    close_if_fatal(a);
}

} // namespace gui::win
