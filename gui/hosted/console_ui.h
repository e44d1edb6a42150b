// The user_interface of the command-line driver: message boxes are printed,
// questions printed and answered from a queue of scripted answers (yes when
// it is empty).
#ifndef GUI_CONSOLE_UI_H
#define GUI_CONSOLE_UI_H

#include <deque>
#include <string>
#include <string_view>

#include "session.h"

namespace gui {

// A text of the dialogs with its "\r\n" line ends as plain line ends.
[[nodiscard]] std::string plain_lines(std::string_view text);

class console_ui : public user_interface {
public:
    void show(const message& box) override;
    [[nodiscard]] bool ask(const message& box) override;
    std::deque<bool> answers;
};

} // namespace gui

#endif
