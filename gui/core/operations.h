// The operations the pages start: the buttons of every page, and the setup
// dialog IDD_RAID_INFO that precedes creating or restoring a logical drive.
#ifndef GUI_OPERATIONS_H
#define GUI_OPERATIONS_H

#include <string>

#include "pages.h"
#include "session.h"

namespace gui {

// A button of the page by its index in page_buttons, when enabled; answers
// the dialog to open.
[[nodiscard]] dialog_request press_button(session& s, page_state& page, int button);

// The title and text of IDD_RAID_INFO for the page's setup request.
[[nodiscard]] const text& setup_title(const setup_request& setup);
[[nodiscard]] std::string setup_text(const setup_request& setup);

// The end of IDD_RAID_INFO: with `ok`, the questions, the creation or
// restore and its messages; then the page refreshes.
void close_setup(session& s, page_state& page, bool ok);

} // namespace gui

#endif
