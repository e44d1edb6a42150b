#include "controls.h"

#include <commctrl.h>

namespace gui::win {

namespace {

UINT box_style(const message& box)
{
    UINT style = 0;
    switch (box.kind) {
    case icon::error:
        style |= MB_ICONERROR;
        break;
    case icon::warning:
        style |= MB_ICONWARNING;
        break;
    case icon::information:
        style |= MB_ICONINFORMATION;
        break;
    case icon::none:
        break;
    }
    switch (box.choice) {
    case buttons::ok:
        style |= MB_OK;
        break;
    case buttons::ok_cancel:
        style |= MB_OKCANCEL;
        break;
    case buttons::yes_no:
        style |= MB_YESNO;
        break;
    }
    return box.topmost ? style | MB_TOPMOST : style;
}

} // namespace

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}

std::string narrow(const std::wstring& text)
{
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

void set_text(HWND window, const std::string& utf8)
{
    SetWindowTextW(window, wide(utf8).c_str());
}

void set_item_text(HWND dialog, int id, const std::string& utf8)
{
    SetDlgItemTextW(dialog, id, wide(utf8).c_str());
}

std::string item_text(HWND dialog, int id)
{
    wchar_t buffer[1024] = {};
    GetDlgItemTextW(dialog, id, buffer, static_cast<int>(std::size(buffer)));
    return narrow(buffer);
}

void enable(HWND dialog, int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

void set_columns(HWND list, std::span<const column> columns)
{
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    int index = 0;
    for (const column& c : columns) {
        std::wstring title = wide(c.title);
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        entry.fmt = c.right_aligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        entry.cx = c.width;
        entry.pszText = title.data();
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&entry));
    }
}

void fill_rows(HWND list, const std::vector<row>& rows, int selected)
{
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            std::wstring text = wide(rows[r][c]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(c);
            item.pszText = text.data();
            SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    if (selected >= 0) ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int selected_row(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void fill_combo(HWND dialog, int id, const std::vector<std::string>& entries, int selected)
{
    SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry).c_str()));
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int combo_selection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

bool is_checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void set_checked(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

const DLGTEMPLATE* dialog_template(HINSTANCE instance, int id, locale language)
{
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const WORD wanted = language == locale::japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT) : english;
    const LPCWSTR dialog_type = MAKEINTRESOURCEW(5); // RT_DIALOG
    HRSRC found = FindResourceExW(instance, dialog_type, MAKEINTRESOURCEW(id), wanted);
    if (found == nullptr) found = FindResourceExW(instance, dialog_type, MAKEINTRESOURCEW(id), english);
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    return loaded != nullptr ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

HWND message_boxes::current_owner() const
{
    HWND active = GetActiveWindow();
    return active != nullptr ? active : owner;
}

void message_boxes::show(const message& box)
{
    MessageBoxW(current_owner(), wide(box.text).c_str(), wide(box.caption).c_str(), box_style(box));
}

bool message_boxes::ask(const message& box)
{
    const int answer = MessageBoxW(current_owner(), wide(box.text).c_str(), wide(box.caption).c_str(), box_style(box));
    return answer == IDOK || answer == IDYES;
}

} // namespace gui::win
