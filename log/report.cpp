#include "report.h"

#include <cstdio>
#include <string>

#include "plat/console.h"
#include "plat/error.h"
#include "plat/event_log.h"

namespace zanlog {

namespace {

constexpr char EVENT_SOURCE[] = "zanservice";
constexpr std::uint32_t TRACE_LOG_WRITTEN = 0x60001249;
constexpr std::uint32_t TRACE_LOG_FAILED = 0xE0001244;

// The lines of an error shown as such; the rest are shown as general errors.
struct own_lines {
    std::uint32_t code;
    const char* lines; // "%s" the log type name, "%u" the code
};

constexpr own_lines OWN_LINES[] = {
    {ERROR_BAD_PARAMETER, "ZAN1001-E The parameter is incorrect.\n"},
    {ERROR_ALREADY_STARTED, "ZAN1002-E It has already started.\n"},
    {ERROR_NO_CONTROLLER, "ZAN1004-E Meridan Raid Controller is not found.\n"},
    {ERROR_NO_DRIVE, "ZAN1005-E The error occurred while gathering the log.\nZAN1006-E Log type : %s\n"
                     "ZAN1007-E Error code : %u\nZAN1008-E HDD Not Found.\n"},
    {ERROR_NOT_SUPPORTED, "ZAN1009-E Command is not support\n"},
    {ERROR_BUSY, "ZAN1010-E time-out when gathering the log.\nZAN1006-E Log type : %s\n"},
};

constexpr char GENERAL_LINES[] =
    "ZAN1005-E The error occurred while gathering the log.\nZAN1006-E Log type : %s\nZAN1007-E Error code : %u\n";

const char* type_name()
{
    const log_type* type = current_run().type;
    return type == nullptr ? UNKNOWN_LOG_TYPE_NAME : type->name;
}

bool is_trace_run()
{
    const log_type* type = current_run().type;
    return type != nullptr && type->kind == log_kind::firmware_trace;
}

// Fills `format` ("%s" before "%u" where both occur) with the type name and code.
std::string fill(const char* format, std::uint32_t code)
{
    char text[512];
    std::snprintf(text, sizeof text, format, type_name(), code);
    return text;
}

std::uint16_t event_type(std::uint32_t id)
{
    switch (id >> 30) {
    case 3: return plat::EVENT_ERROR;
    case 2: return plat::EVENT_WARNING;
    default: return plat::EVENT_INFORMATION;
    }
}

void report_event(std::uint32_t id, std::span<const char* const> strings)
{
    plat::event_source source;
    if (!source.register_source(EVENT_SOURCE)) return;
    (void)source.report(event_type(id), 0, id, strings, {});
    source.deregister();
}

} // namespace

run_context& current_run()
{
    static run_context run;
    return run;
}

const char* detail_code(int controller, char (&text)[9])
{
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", static_cast<unsigned>((controller | 0x50) & 0xFF), 0xFFu,
                  0xFFu, 0xFFu);
    return text;
}

bool report_error(std::uint32_t code, shown how)
{
    if (current_run().automatic) {
        if (is_trace_run()) {
            const std::string number = std::to_string(code);
            char detail[9];
            const char* const strings[] = {number.c_str(), detail_code(current_run().controller, detail)};
            report_event(TRACE_LOG_FAILED, strings);
        }
    } else {
        const char* format = GENERAL_LINES;
        if (how == shown::as_such) {
            for (const own_lines& own : OWN_LINES) {
                if (own.code == code) format = own.lines;
            }
        }
        // Texts without "%s" take the code alone; none has "%u" without "%s".
        plat::console_write(fill(format, code));
    }
    plat::set_last_error(code);
    return false;
}

void report_success()
{
    if (current_run().automatic) {
        if (is_trace_run()) report_event(TRACE_LOG_WRITTEN, {});
    } else {
        plat::console_write(std::string("ZAN1000-I ") + current_run().type->collected + " Get Success\n");
    }
    plat::set_last_error(plat::ERR_SUCCESS);
}

} // namespace zanlog
