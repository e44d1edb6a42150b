// Thin wrappers of the Win32 controls the windows use: texts in UTF-8 from
// the core, list views in report mode, combo boxes, buttons, and the
// message boxes of the user_interface.
#ifndef GUI_WIN32_CONTROLS_H
#define GUI_WIN32_CONTROLS_H

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "lists.h"
#include "session.h"

namespace gui::win {

[[nodiscard]] std::wstring wide(const std::string& utf8);
[[nodiscard]] std::string narrow(const std::wstring& text);

void set_text(HWND window, const std::string& utf8);
void set_item_text(HWND dialog, int id, const std::string& utf8);
[[nodiscard]] std::string item_text(HWND dialog, int id);
void enable(HWND dialog, int id, bool enabled);

// List views.
void set_columns(HWND list, std::span<const column> columns);
void fill_rows(HWND list, const std::vector<row>& rows, int selected);
[[nodiscard]] int selected_row(HWND list);

// Combo boxes of texts; -1 selects nothing.
void fill_combo(HWND dialog, int id, const std::vector<std::string>& entries, int selected);
[[nodiscard]] int combo_selection(HWND dialog, int id);

[[nodiscard]] bool is_checked(HWND dialog, int id);
void set_checked(HWND dialog, int id, bool checked);

// The dialog template `id` in `language`, or in English when that language
// has none: the templates exist in both languages, and the one to show
// follows "Locale", not the thread's user-interface language.
[[nodiscard]] const DLGTEMPLATE* dialog_template(HINSTANCE instance, int id, locale language);

// Message boxes owned by the window the user works in (a dialog over the
// main window disables it only while the box is up), or by `owner` when no
// window of the program is active.
class message_boxes : public user_interface {
public:
    HWND owner = nullptr;
    void show(const message& box) override;
    [[nodiscard]] bool ask(const message& box) override;

private:
    [[nodiscard]] HWND current_owner() const;
};

} // namespace gui::win

#endif
