// The confirmation prompt asked before a command changes the configuration.
#ifndef CLI_PROMPT_H
#define CLI_PROMPT_H

#include <cstddef>
#include <string>
#include <string_view>

#include <plat/console.h>

namespace cli {

// Longest answer line read.
inline constexpr std::size_t max_answer_chars = 65535;

// Reads one input line, its line end included; false at the end of input.
using line_reader = bool (*)(std::string& line, std::size_t max_chars);

enum class answer { yes, no };

// Prints the question as a message line and reads answers until one is a
// single "Y"/"y" or "N"/"n" and its line end; anything else asks again. The
// end of input answers "no".
[[nodiscard]] answer confirm(std::string_view question, line_reader read_line = plat::console_read_line);

} // namespace cli

#endif
