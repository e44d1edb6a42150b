// Normalised tokens: how zancli reads its command and option arguments.
#ifndef CLI_TOKEN_H
#define CLI_TOKEN_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Longest argument that fits the 256-byte normalisation buffer.
inline constexpr std::size_t max_token_chars = 255;

// Lowercases the argument and drops everything up to and including its first
// '-', unless the only '-' is the last character: "-CfgLDAdd", "cfgldadd" and
// "x-CFGLDADD" all give "cfgldadd", a lone "-" stays "-". Arguments longer
// than max_token_chars have no token.
[[nodiscard]] std::optional<std::string> normalize_token(std::string_view argument);

} // namespace cli

#endif
