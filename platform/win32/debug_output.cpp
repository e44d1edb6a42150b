#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/debug_output.h"

namespace plat {

void debug_output(const char* text)
{
    OutputDebugStringA(text);
}

} // namespace plat
