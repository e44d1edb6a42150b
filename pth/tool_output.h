// The one output routine of zanpth: every text goes to standard output as it
// stands (the messages carry their own line ends).
#ifndef PTH_TOOL_OUTPUT_H
#define PTH_TOOL_OUTPUT_H

#include <string>
#include <string_view>

#include "plat/console.h"

namespace pth {

// printf into a string of whatever length the result needs.
using plat::format;

void put(std::string_view text);
[[gnu::format(printf, 1, 2)]] void putf(const char* format, ...);

// "ZAN0002-I PassThrough Tool abnormal end.\n": the last line of every failure.
void abnormal_end();

} // namespace pth

#endif
