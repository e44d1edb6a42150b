// The Event Log through the Win32 event-source calls.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

#include "plat/event_log.h"

namespace plat {

event_source::~event_source()
{
    deregister();
}

bool event_source::register_source(const char* name)
{
    deregister();
    handle_ = RegisterEventSourceA(nullptr, name);
    return handle_ != nullptr;
}

bool event_source::report(std::uint16_t type, std::uint16_t category, std::uint32_t event_id,
                          std::span<const char* const> strings, std::span<const std::uint8_t> data)
{
    std::vector<LPCSTR> list(strings.begin(), strings.end());
    return ReportEventA(handle_, type, category, event_id, nullptr, static_cast<WORD>(list.size()),
                        static_cast<DWORD>(data.size()), list.empty() ? nullptr : list.data(),
                        data.empty() ? nullptr : const_cast<std::uint8_t*>(data.data())) != FALSE;
}

void event_source::deregister()
{
    if (handle_ != nullptr) DeregisterEventSource(handle_);
    handle_ = nullptr;
}

} // namespace plat
