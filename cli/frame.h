// The frame every zancli command runs in: start-up, the single-instance lock,
// dispatch, shut-down and the fatal exits.
#ifndef CLI_FRAME_H
#define CLI_FRAME_H

#include <cstdint>
#include <optional>
#include <string_view>

#include <plat/sync.h>

namespace cli {

// Name of the mutex that keeps zancli to one instance at a time.
inline constexpr char instance_mutex_name[] = "zancli";

// State of one run that the fatal exits need.
struct frame {
    plat::named_mutex instance_lock;
    bool lock_owned = false;
};

// A command routine gets the whole argument vector (program name, command,
// options). Whatever it prints, returning from it means exit status 0.
using command_fn = void (*)(frame& context, int argc, const char* const* argv);

// The whole program: returns the process exit status (0 or -1).
[[nodiscard]] int run(int argc, const char* const* argv);

// Calls finContData; on failure reports the library error for `adapter` (or
// for none) and returns false.
[[nodiscard]] bool finish_library(std::optional<int> adapter);

// Fatal end after start-up: prints `message`, finalises the library
// (reporting a failure for `adapter`), releases the instance lock and ends
// the process with -1.
[[noreturn]] void fatal_exit(frame& context, std::string_view message, std::optional<int> adapter);

// Fatal end that leaves the library as it is ("There is no Adapter."):
// prints `message`, releases the instance lock and ends with -1.
[[noreturn]] void fatal_exit_keep_library(frame& context, std::string_view message);

// Ends the process at once with a Windows error code as its status (the
// firmware update's failures): releases the instance lock and leaves the
// library as it is.
[[noreturn]] void exit_with_status(frame& context, std::uint32_t status);

} // namespace cli

#endif
