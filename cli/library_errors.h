// Turning the library's last-error word into the one message the user sees.
#ifndef CLI_LIBRARY_ERRORS_H
#define CLI_LIBRARY_ERRORS_H

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// Internal-error categories of "Fatal error - Internal error -0x%d000%08x.".
inline constexpr int category_library = 0;
inline constexpr int category_argument = 1;
inline constexpr int category_driver = 2;
inline constexpr int category_system = 3;

// "Fatal error - Internal error -0x<category>000<value as 8 hex digits>."
[[nodiscard]] std::string internal_error_message(int category, std::uint32_t value);

// The internal error for a failed Windows call made by the tool itself.
[[nodiscard]] std::string system_error_message(std::uint32_t windows_error);

// The report for a library error word. `system_error` is the Windows error
// code that stands in for the word when the library says a Windows call
// failed; `adapter` is the adapter concerned, if any.
[[nodiscard]] std::string library_error_message(std::uint32_t word, std::uint32_t system_error,
                                                std::optional<int> adapter);

// The report for the calling thread's library error (and Windows error) after
// a failed library call.
[[nodiscard]] std::string current_library_error_message(std::optional<int> adapter);

// Prints that report.
void report_library_error(std::optional<int> adapter);

// Calls a library export with `args`; when it fails, prints the library error
// report for `adapter` (or for none). True when the export succeeded.
template <typename Export, typename... Args>
[[nodiscard]] bool call_library(std::optional<int> adapter, Export library_export, Args... args)
{
    if (library_export(args...)) return true;
    report_library_error(adapter);
    return false;
}

} // namespace cli

#endif
