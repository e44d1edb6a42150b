#include "token.h"

namespace cli {

std::optional<std::string> normalize_token(std::string_view argument)
{
    if (argument.size() > max_token_chars) return std::nullopt;

    std::string token;
    token.reserve(argument.size());
    for (const char c : argument) token += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;

    const std::size_t dash = token.find('-');
    if (dash != std::string::npos && dash + 1 < token.size()) token.erase(0, dash + 1);
    return token;
}

} // namespace cli
