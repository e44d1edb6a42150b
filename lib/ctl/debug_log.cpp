#include "debug_log.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "library_version.h"
#include "names.h"
#include "plat/clock.h"
#include "plat/error.h"
#include "plat/file.h"
#include "zandllctl.h"

namespace zan::debug_log {
namespace {

constexpr std::size_t LINE_BUFFER = 1024;
constexpr std::size_t PATH_CHARS = 260;
constexpr std::size_t PATH_KEPT = 240;
constexpr const char* COMPILED_DATE = __DATE__;

struct log_state {
    bool on = false;
    plat::file handle;
    char path[PATH_CHARS] = {};
    std::uint8_t level = LEVEL_ERRORS;
};

log_state& state()
{
    static log_state s;
    return s;
}

void write_raw(const char* text, std::size_t size)
{
    log_state& s = state();
    if (!s.on || !s.handle.is_open()) return;
    if (s.handle.seek_end()) (void)s.handle.write(text, size);
}

void vwrite(const char* format, va_list args)
{
    char buffer[LINE_BUFFER];
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0) return;
    const std::size_t size = static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n)
                                                                           : sizeof buffer - 1;
    write_raw(buffer, size);
}

// Writes regardless of the level (the banner).
void write_always(const char* format, ...) __attribute__((format(printf, 1, 2)));
void write_always(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vwrite(format, args);
    va_end(args);
}

void date_time(char (&date)[16], char (&time)[16])
{
    const plat::local_time now = plat::now_local();
    std::snprintf(date, sizeof date, "%02u/%02u/%02u", now.month % 100u, now.day % 100u, now.year % 100u);
    std::snprintf(time, sizeof time, "%02u:%02u:%02u", now.hour % 100u, now.minute % 100u, now.second % 100u);
}

} // namespace

bool open(const char* path)
{
    log_state& s = state();
    s.on = true;
    std::memset(s.path, 0, sizeof s.path);
    std::strncpy(s.path, path, PATH_KEPT);
    // A new DebugOn replaces the open log rather than leaking its handle (and
    // being refused by its own exclusive open).
    s.handle.close();
    if (!s.handle.open_always_exclusive(s.path) || !s.handle.seek_end()) {
        s.handle.close();
        s.on = false;
        return false;
    }
    char date[16];
    char time[16];
    date_time(date, time);
    std::string version;
    if (!library_file_version(version)) version.clear();
    write_always("============== raidctl Debug log file =================\n");
    write_always("=====  OS date: %s == time: %s ==\n=====  compiled date: %s =====\n", date, time, COMPILED_DATE);
    write_always("DLL version = %s\n", version.c_str());
    return true;
}

bool set_level(std::uint8_t level)
{
    if (level < LEVEL_ERRORS || level > LEVEL_DUMP) return false;
    state().level = level;
    return true;
}

void close()
{
    state().handle.close();
}

bool wants(std::uint8_t level)
{
    const log_state& s = state();
    return s.on && s.handle.is_open() && level <= s.level;
}

void line(std::uint8_t level, const char* format, ...)
{
    if (!wants(level)) return;
    va_list args;
    va_start(args, format);
    vwrite(format, args);
    va_end(args);
}

void error_entry(const char* funcname, const char* module, int place, std::uint32_t code)
{
    if (!wants(LEVEL_ERRORS)) return;
    char date[16];
    char time[16];
    date_time(date, time);
    line(LEVEL_ERRORS, "****** ERROR ****** OS date: %s ** OS time: %s ***** \n", date, time);
    line(LEVEL_ERRORS, "\tfuncname = %s, srcfilename = %s\n \tline = %d\n\tDLLerrcode = 0x%.8x\n", funcname, module,
         place, code);
}

void errmsg_system(std::uint32_t os_error)
{
    line(LEVEL_ERRORS, "\terrmsg= %s", plat::system_message(os_error).c_str());
}

void errmsg_driver(std::uint32_t control_code, std::uint16_t status)
{
    const char* code_name = control_code_name(control_code);
    if (code_name == nullptr) {
        code_name = UNKNOWN_CONTROL_CODE_NAME;
        error_entry("getIoctlCodeName", MODULE_TRANSPORT, __LINE__, DLL_ERROR_INTERNAL);
    }
    line(LEVEL_ERRORS, "\terrmsg= %s: %s\n", code_name, status_name(status));
}

void errmsg_argument(std::uint32_t argument_bit)
{
    const char* name = argument_error_name(argument_bit);
    if (name == nullptr) {
        name = "";
        error_entry("getArgErrName", MODULE_TRANSPORT, __LINE__, DLL_ERROR_INTERNAL);
    }
    line(LEVEL_ERRORS, "\terrmsg= %s\n", name);
}

void keyword(const char* text)
{
    line(LEVEL_ERRORS, "\tkeyword= %s\n", text);
}

void called(const char* funcname)
{
    line(LEVEL_ERRORS, "\tcalled funcname = %s\n", funcname);
}

const char* trace_stamp(char (&buffer)[64])
{
    char date[16];
    char time[16];
    date_time(date, time);
    std::snprintf(buffer, sizeof buffer, "-----  OS: date %s -- time: %s ", date, time);
    return buffer;
}

void dump_request(std::uint32_t control_code, const std::uint8_t* record, std::size_t size)
{
    if (!wants(LEVEL_DUMP)) return;
    line(LEVEL_DUMP, "ControlCode=%x:\n", control_code);
    line(LEVEL_DUMP, "pConfig DATA:\n");
    for (std::size_t offset = 0; offset + 8 <= size; offset += 8) {
        const std::uint8_t* b = record + offset;
        auto shown = [](std::uint8_t c) { return std::isprint(c) ? static_cast<char>(c) : ' '; };
        line(LEVEL_DUMP,
             "%.8x : %.2x %.2x %.2x %.2x %.2x %.2x %.2x %.2x  #  %c  %c  %c  %c  %c  %c  %c  %c \n",
             static_cast<unsigned>(offset), b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], shown(b[0]),
             shown(b[1]), shown(b[2]), shown(b[3]), shown(b[4]), shown(b[5]), shown(b[6]), shown(b[7]));
    }
    line(LEVEL_DUMP, "\nATAD:\n");
}

} // namespace zan::debug_log
