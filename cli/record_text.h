// Text fields of the library's records as printable strings.
#ifndef CLI_RECORD_TEXT_H
#define CLI_RECORD_TEXT_H

#include <cstddef>
#include <string>

namespace cli {

// A fixed-width character field, up to its first zero byte or its full width
// when it has none (most record texts are not zero-terminated).
template <std::size_t N>
[[nodiscard]] std::string record_text(const char (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

} // namespace cli

#endif
