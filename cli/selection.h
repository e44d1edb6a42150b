// The adapter, logical-drive and physical-drive selections of the command
// line. Each parser takes a normalised token and returns false for invalid
// input; the caller then prints the invalid-input message.
#ifndef CLI_SELECTION_H
#define CLI_SELECTION_H

#include <array>
#include <cstdint>
#include <string_view>

#include "frame.h"

namespace cli {

// Marks the unused places of a list.
inline constexpr std::uint8_t unused_entry = 255;

inline constexpr int max_adapters = 4;
inline constexpr int max_drives = 8; // logical and physical drives 0-7

using adapter_list = std::array<std::uint8_t, max_adapters>;
using drive_list = std::array<std::uint8_t, max_drives>;

struct adapter_selection {
    adapter_list ids;  // distinct adapters, ascending, filled from the front
    bool all;          // the option was "-aALL"
};

struct ld_selection {
    drive_list ids;    // distinct logical drives in command-line order
    bool all;          // the option was "-Lall"
};

// Number of used places of a list.
[[nodiscard]] int used_entries(const std::uint8_t* ids, int size);

// "aall", or "a" followed by single digits separated by commas; `stop` for
// invalid input. Every named adapter is probed; one that does not exist, or
// an adapter that stays busy, ends the run (as does "aall" with no adapter
// at all).
outcome parse_adapter_selection(frame& context, std::string_view token, adapter_selection& selection);

// "lall", "l" followed by single digits separated by commas (a trailing comma
// is accepted), or the restore forms "sl"/"dl" with at most one digit.
[[nodiscard]] bool parse_ld_selection(std::string_view token, ld_selection& selection);

// "physdrv[" pairs "x:N" separated by commas and closed by "]"; only the digit
// after each colon counts. Sorted ascending unless the command keeps the
// order of the command line.
enum class pd_order { ascending, as_given };
[[nodiscard]] bool parse_pd_selection(std::string_view token, pd_order order, drive_list& ids);

} // namespace cli

#endif
