// The frame every zancli command runs in: start-up, the single-instance lock,
// dispatch, shut-down and the fatal ends. Only main() ends the process: a
// command returns its exit status, and a step deep inside it that ends the
// run returns outcome::fatal, which every caller passes up untouched.
#ifndef CLI_FRAME_H
#define CLI_FRAME_H

#include <cstdint>
#include <optional>
#include <string_view>

#include <plat/sync.h>

namespace cli {

// Name of the mutex that keeps zancli to one instance at a time.
inline constexpr char instance_mutex_name[] = "zancli";

inline constexpr int success_status = 0;
inline constexpr int fatal_status = -1;

// State of one run.
struct frame {
    plat::named_mutex instance_lock;
    bool lock_owned = false;
    // Whether the frame still finalises the library when the command returns;
    // a fatal end finalises it itself or leaves it as it is.
    bool library_pending = true;
};

// How a step of a command went: `go_on`; `stop`, the command ends here (its
// message printed, or the caller prints it: invalid input); `fatal`, the
// whole run ends with status -1 (message printed, library dealt with).
enum class [[nodiscard]] outcome { go_on, stop, fatal };

// `go_on` when an option was accepted, `stop` (invalid input) otherwise.
[[nodiscard]] constexpr outcome go_on_if(bool accepted)
{
    return accepted ? outcome::go_on : outcome::stop;
}

// The exit status of a command that ends after a step: -1 after a fatal
// end, 0 otherwise.
[[nodiscard]] constexpr int status_after(outcome result)
{
    return result == outcome::fatal ? fatal_status : success_status;
}

// A command routine gets the whole argument vector (program name, command,
// options) and returns the exit status of the run.
using command_fn = int (*)(frame& context, int argc, const char* const* argv);

// The whole program: returns the process exit status.
[[nodiscard]] int run(int argc, const char* const* argv);

// Calls finContData; on failure reports the library error for `adapter` (or
// for none) and returns false.
[[nodiscard]] bool finish_library(std::optional<int> adapter);

// Fatal end after start-up: prints `message` and finalises the library
// (reporting a failure for `adapter`). Returns outcome::fatal.
outcome fatal_end(frame& context, std::string_view message, std::optional<int> adapter);

// Fatal end that leaves the library as it is ("There is no Adapter."):
// prints `message`. Returns outcome::fatal.
outcome fatal_end_keep_library(frame& context, std::string_view message);

// The end of a run with a Windows error code as its status (the firmware
// update's failures): the library is left as it is. Returns the status.
[[nodiscard]] int end_with_status(frame& context, std::uint32_t status);

} // namespace cli

#endif
