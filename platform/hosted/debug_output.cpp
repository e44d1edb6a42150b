#include "plat/debug_output.h"

#include <cstdio>

namespace plat {

void debug_output(const char* text)
{
    std::fputs(text, stderr);
}

} // namespace plat
