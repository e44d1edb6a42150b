// The prevent-limit options of glprevlimitset: "pl", "om", "hy", "oy" or
// "all", each followed directly by its decimal value.
#ifndef CLI_PREVENT_LIMITS_H
#define CLI_PREVENT_LIMITS_H

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "zandllctl.h"

namespace cli {

// The four counts of GListInfo, in record order.
enum prevent_limit : int { limit_prevent, limit_one_month, limit_half_year, limit_one_year, limit_count };

// Values given on the command line, by count.
using prevent_limit_values = std::array<std::optional<std::uint16_t>, limit_count>;

// What a glprevlimitset value option sets.
struct limit_option {
    bool matched;                        // the token begins with a value keyword
    bool all;                            // the keyword was "all"
    int limit;                           // the count set, unless all
    std::optional<std::uint16_t> value;  // nothing when the digits are no 16-bit number
};

// Reads a token as a value option: the keyword, then only digits (none
// means 0), at most 65535.
[[nodiscard]] limit_option parse_limit_option(std::string_view token);

// The record with the given counts replaced.
[[nodiscard]] zan::GListInfo apply_limits(const zan::GListInfo& current, const prevent_limit_values& values);

} // namespace cli

#endif
