// Message boxes on the Windows desktop.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/desktop.h"

namespace plat {

std::int32_t message_box(const char* text, const char* caption, std::uint32_t style)
{
    return MessageBoxA(nullptr, text, caption, style);
}

} // namespace plat
