#include "trace.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "plat/error.h"
#include "plat/process.h"
#include "plat/registry.h"
#include "reporter.h"

namespace zan {

namespace {

constexpr char LOG_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice\\Parameters\\Log";
constexpr char EVENT_ID_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice\\Parameters\\Log\\EventID";
constexpr char LOG_TOOL[] = "zanlog.exe";
constexpr std::size_t LOG_TOOL_NAME_CHARS = 11; // the separator and "zanlog.exe"
constexpr std::size_t COMMAND_LINE_CHARS = 259;
constexpr std::uint32_t LOG_TOOL_WAIT_MS = 5000;
constexpr std::uint32_t LOG_TOOL_FAILED = 0xA000124A;

void report_registry(const char* what, std::uint32_t error)
{
    report_event(0xA0000041, {std::string(what) + " " + EVENT_ID_KEY, system_text(error)});
}

} // namespace

trace_state& service_trace()
{
    static trace_state state;
    return state;
}

void read_trace_configuration(trace_state& t)
{
    t.ptime = PTIME_DEFAULT;
    t.event_codes.clear();
    plat::reg_key log;
    if (log.open(LOG_KEY, plat::reg_access::read) == plat::ERR_SUCCESS) {
        std::uint32_t type = 0;
        std::uint8_t value[4] = {};
        std::uint32_t size = sizeof value;
        if (log.query_value("PTime", type, value, size) == plat::ERR_SUCCESS && type == plat::REG_TYPE_DWORD &&
            size == sizeof value) {
            const std::uint32_t ptime = value[0] | value[1] << 8 | value[2] << 16 | static_cast<std::uint32_t>(value[3]) << 24;
            t.ptime = std::min(ptime, PTIME_LIMIT);
        }
    }
    plat::reg_key ids;
    if (const std::uint32_t rc = ids.open(EVENT_ID_KEY, plat::reg_access::read); rc != plat::ERR_SUCCESS) {
        report_registry("Open", rc);
        return;
    }
    for (std::uint32_t index = 0;; ++index) {
        std::string name;
        const std::uint32_t rc = ids.enum_value(index, name);
        if (rc == plat::ERR_NO_MORE_ITEMS) return;
        if (rc != plat::ERR_SUCCESS) continue;
        std::uint32_t type = 0;
        std::uint8_t data[256] = {};
        std::uint32_t size = sizeof data;
        const std::uint32_t read = ids.query_value(name, type, data, size);
        if (read != plat::ERR_SUCCESS && read != plat::ERR_MORE_DATA) continue;
        const std::uint32_t code = data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        if (code == 0) {
            // A zero ends the list; the codes taken so far stay.
            report_registry("Invalid Data", read);
            return;
        }
        t.event_codes.push_back(code);
    }
}

void note_reported_event(trace_state& t, std::uint32_t id, std::uint8_t adapter)
{
    if (t.ptime == 0 || adapter >= t.requested.size()) return;
    if (std::find(t.event_codes.begin(), t.event_codes.end(), id & 0xFFFF) != t.event_codes.end()) {
        t.requested[adapter] = true;
    }
}

void trace_check(trace_state& t, std::uint32_t found, bool (*start)(std::uint8_t adapter))
{
    if (t.ptime != 0) ++t.counter;
    for (std::uint32_t i = 0; i < found && i < t.requested.size(); ++i) {
        if (t.counter < t.ptime || !t.requested[i]) continue;
        const auto index = static_cast<std::uint8_t>(i);
        if (!start(index)) report_event(LOG_TOOL_FAILED, {}, {}, index);
        t.requested[i] = false;
        t.counter = 0;
    }
}

bool start_log_tool(std::uint8_t adapter)
{
    std::string path;
    if (!plat::search_executable(LOG_TOOL, path) || path.size() < LOG_TOOL_NAME_CHARS) return false;
    const std::string folder = path.substr(0, path.size() - LOG_TOOL_NAME_CHARS) + "\\Log";
    char line[COMMAND_LINE_CHARS + 1];
    const int length = std::snprintf(line, sizeof line, "\"%s\" ZAN_%d_FWTrcLog \"%s\" -AutomaticLog", path.c_str(),
                                     adapter, folder.c_str());
    // A command line cut short would name another folder: no start.
    if (length < 0 || static_cast<std::size_t>(length) > COMMAND_LINE_CHARS) return false;
    plat::process tool;
    if (!tool.create(line)) return false;
    return tool.wait(LOG_TOOL_WAIT_MS) != plat::wait_result::failed;
}

} // namespace zan
