// The state the windows share: the core's session, the pages' states and
// the main window with its tab control and page dialogs.
#ifndef GUI_WIN32_APP_H
#define GUI_WIN32_APP_H

#include <windows.h>

#include <array>

#include "controls.h"
#include "pages.h"
#include "session.h"

namespace gui::win {

inline constexpr UINT refresh_message = WM_USER;
inline constexpr UINT timer_ms = 30000;
inline constexpr UINT_PTR timer_id = 1;

struct app {
    app(session& owner, message_boxes& ui) : s(owner), boxes(ui) {}

    session& s;
    message_boxes& boxes;
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND tab = nullptr;
    std::array<HWND, page_count> page_windows{};
    std::array<page_state, page_count> pages{page_state(page_id::view),   page_state(page_id::create),
                                             page_state(page_id::remove), page_state(page_id::spares),
                                             page_state(page_id::restore), page_state(page_id::maintain)};
    int shown = 0;
};

// The one app of the process, for the dialog procedures.
app& the_app();

// Runs the modal dialog `id` in the session's language.
INT_PTR run_dialog(app& a, HWND owner, int id, DLGPROC procedure, LPARAM parameter);

// Opens the dialog a page asked for, owned by `owner`.
void open_dialog(app& a, HWND owner, page_state& page, const dialog_request& request);

// After a fatal error the main window closes.
void close_if_fatal(app& a);

} // namespace gui::win

#endif
