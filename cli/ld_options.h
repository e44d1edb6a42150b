// Option helpers shared by the logical-drive commands: the adapter and
// logical-drive selections under their seen-flags, and the cache options.
#ifndef CLI_LD_OPTIONS_H
#define CLI_LD_OPTIONS_H

#include <cstdint>
#include <optional>
#include <string_view>

#include "frame.h"
#include "options.h"
#include "selection.h"

namespace cli {

// Marks `flag` and parses the adapter selection; `stop` for invalid input.
outcome take_adapter_option(frame& context, option_loop& loop, std::uint32_t flag, adapter_selection& selection);

// The same for an adapter option that must name exactly one adapter.
outcome take_single_adapter(frame& context, option_loop& loop, std::uint32_t flag, int& adapter);

// Marks `flag` and parses the logical-drive selection; false for invalid input.
[[nodiscard]] bool take_ld_option(option_loop& loop, std::uint32_t flag, ld_selection& selection);

// The write and read cache choices of a command line ("-WT"/"-WB",
// "-RA"/"-NORA"); unset when not given.
struct cache_choice {
    std::optional<bool> write_back;
    std::optional<bool> read_ahead;
};

enum class cache_option { none, write, read };

// Records "wt", "wb", "ra" or "nora" in `choice` (a later one replaces an
// earlier one of its pair) and says which pair it belongs to; none for any
// other token.
cache_option take_cache_option(std::string_view token, cache_choice& choice);

// Takes a cache option for the commands that allow each pair once: "-WT"
// with "-WB", or either twice, is invalid input. Returns nullopt when the
// token is no cache option, otherwise whether it was accepted.
[[nodiscard]] std::optional<bool> take_cache_option_once(option_loop& loop, std::uint32_t write_flag,
                                                         std::uint32_t read_flag, cache_choice& choice);

} // namespace cli

#endif
