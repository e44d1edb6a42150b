#include "message_table.h"

#include <cctype>

namespace zan {

const message_text* find_message(std::uint32_t id)
{
    for (const message_text& m : message_table()) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

std::string fill_inserts(std::string_view text, std::span<const std::string> strings)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        if (text[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        unsigned number = 0;
        while (end < text.size() && end < i + 3 && std::isdigit(static_cast<unsigned char>(text[end])) != 0) {
            number = number * 10 + static_cast<unsigned>(text[end] - '0');
            ++end;
        }
        if (number >= 1 && number <= strings.size()) {
            out += strings[number - 1];
        } else {
            out.append(text.substr(i, end - i));
        }
        i = end - 1;
    }
    return out;
}

} // namespace zan
