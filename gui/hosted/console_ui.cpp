#include "console_ui.h"

#include <plat/console.h>

namespace gui {

namespace {

const char* icon_name(icon kind)
{
    switch (kind) {
    case icon::error:
        return "error";
    case icon::warning:
        return "warning";
    case icon::information:
        return "information";
    case icon::none:
        break;
    }
    return "plain";
}

void print_box(const char* kind, const message& box)
{
    plat::console_write(std::string("[") + kind + " " + icon_name(box.kind) + ": " + box.caption + "]\n" +
                        plain_lines(box.text) + "\n");
}

} // namespace

std::string plain_lines(std::string_view text)
{
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lines += text[i];
    }
    return lines;
}

void console_ui::show(const message& box)
{
    print_box("message", box);
}

bool console_ui::ask(const message& box)
{
    print_box("question", box);
    bool yes = true;
    if (!answers.empty()) {
        yes = answers.front();
        answers.pop_front();
    }
    const bool yes_no = box.choice == buttons::yes_no;
    plat::console_write(std::string("-> ") + (yes ? (yes_no ? "Yes" : "OK") : (yes_no ? "No" : "Cancel")) + "\n");
    return yes;
}

} // namespace gui
