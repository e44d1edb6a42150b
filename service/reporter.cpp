#include "reporter.h"

#include <vector>

#include "plat/error.h"
#include "plat/event_log.h"
#include "trace.h"

namespace zan {

namespace {

std::uint16_t event_type(std::uint32_t id)
{
    switch (id >> 30) {
    case 1: return plat::EVENT_INFORMATION;
    case 2: return plat::EVENT_WARNING;
    default: return plat::EVENT_ERROR;
    }
}

} // namespace

void report_event(std::uint32_t id, std::span<const std::string> strings, std::span<const std::uint8_t> data,
                  std::uint8_t adapter)
{
    plat::event_source source;
    if (!source.register_source(SERVICE_NAME)) return;
    std::vector<const char*> list;
    for (const std::string& s : strings) list.push_back(s.c_str());
    static_cast<void>(source.report(event_type(id), 0, id, list, data));
    source.deregister();
    note_reported_event(service_trace(), id, adapter);
}

void report_event(std::uint32_t id, std::initializer_list<std::string> strings)
{
    report_event(id, std::span<const std::string>(strings.begin(), strings.size()));
}

std::string system_text(std::uint32_t os_error)
{
    std::string text = plat::system_message(os_error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

} // namespace zan
