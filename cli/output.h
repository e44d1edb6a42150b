// The one output routine of zancli: every message goes to standard output
// with a newline appended. Nothing is written to standard error.
#ifndef CLI_OUTPUT_H
#define CLI_OUTPUT_H

#include <string>
#include <string_view>

#include "plat/console.h"

namespace cli {

// printf into a string of whatever length the result needs.
using plat::format;

// Writes one message followed by "\n".
void say(std::string_view message);
// Writes text as it stands, without a newline.
void put(std::string_view text);
[[gnu::format(printf, 1, 2)]] void sayf(const char* format, ...);

// Where messages go; standard output unless a test captures them. Returns the
// sink that was in place.
using output_sink = void (*)(std::string_view text);
output_sink set_output_sink(output_sink sink);

} // namespace cli

#endif
