// Windows error codes and their system message texts.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

#include "plat/error.h"

namespace plat {

std::uint32_t last_error()
{
    return GetLastError();
}

void set_last_error(std::uint32_t code)
{
    SetLastError(code);
}

std::string system_message(std::uint32_t code)
{
    // Asking for the text must not disturb the error the caller is reporting.
    const DWORD saved = GetLastError();
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length != 0 && text != nullptr) {
        message.assign(text, length);
    } else {
        char generic[40];
        std::snprintf(generic, sizeof generic, "Unknown error (0x%lx).\r\n", static_cast<unsigned long>(code));
        message = generic;
    }
    if (text != nullptr)
        LocalFree(text);
    SetLastError(saved);
    return message;
}

} // namespace plat
