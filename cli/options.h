// The option loop shared by all commands: options are read from the third
// argument on, each normalised; every recognised option sets a seen-flag, and
// every rejection names the argument before the one being examined.
//
//     option_loop loop{argc, argv};
//     while (next_option(loop)) {
//         if (loop.token == "start") { if (!mark_seen(loop, opt_start)) return rejected(loop); }
//         else if (loop.token.starts_with('a')) { ... }
//         else return rejected(loop);
//     }
//     if (!require_options(loop, opt_start | opt_adapter)) return success_status;
#ifndef CLI_OPTIONS_H
#define CLI_OPTIONS_H

#include <cstdint>
#include <string>

#include "frame.h"

namespace cli {

struct option_loop {
    option_loop(int argument_count, const char* const* arguments) : argc(argument_count), argv(arguments) {}

    int argc;
    const char* const* argv;
    int index = 1;          // the argument being examined
    std::uint32_t seen = 0; // flags of the options met so far
    std::string token;      // normalised form of argv[index]; empty for an overlong argument
};

// Moves to the next option and normalises it; false when none is left.
[[nodiscard]] bool next_option(option_loop& loop);

// Sets an option's seen-flag; false (invalid input) when it was set already.
[[nodiscard]] bool mark_seen(option_loop& loop, std::uint32_t flag);

// Prints "Invalid input at or near token %s." with the argument before the
// one being examined: the command argument for the first option, the last
// argument once all were read.
void reject_option(const option_loop& loop);

// reject_option for a command that ends with the rejection: returns its
// exit status (0: invalid input is no fatal end).
[[nodiscard]] int rejected(const option_loop& loop);

// After the last option: true when the seen-flags are exactly `required`,
// otherwise rejects.
[[nodiscard]] bool require_options(const option_loop& loop, std::uint32_t required);

// For commands without options: true when there is no further argument,
// otherwise rejects naming the command argument.
[[nodiscard]] bool no_options(int argc, const char* const* argv);

} // namespace cli

#endif
