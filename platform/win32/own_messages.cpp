// The program's message-table resource, read with FormatMessage.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

#include "plat/own_messages.h"

namespace plat {

bool format_own_message(std::uint32_t id, std::span<const std::string> inserts, std::size_t limit, std::string& text)
{
    std::vector<DWORD_PTR> arguments;
    for (const std::string& s : inserts) arguments.push_back(reinterpret_cast<DWORD_PTR>(s.c_str()));
    std::vector<char> buffer(limit == 0 ? 1 : limit);
    // A null source is the program's own module; language 0 lets the system choose.
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr, id, 0,
                                        buffer.data(), static_cast<DWORD>(limit),
                                        reinterpret_cast<va_list*>(arguments.data()));
    if (length == 0) return false;
    text.assign(buffer.data(), length);
    return true;
}

} // namespace plat
