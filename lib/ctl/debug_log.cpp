#include "debug_log.h"

#include <cctype>
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
// A level-4 dump: its two header lines, 67 lines of 8 bytes and the closing
// line, each well below 80 characters.
constexpr std::size_t DUMP_BUFFER = 8192;
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

// Appends a text to the open log in one write, whatever the level.
void append_to_file(const char* text, std::size_t size)
{
    log_state& s = state();
    if (s.on && s.handle.is_open()) (void)s.handle.write(text, size);
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
    if (!s.handle.open_append_exclusive(s.path)) {
        s.on = false;
        return false;
    }
    char date[16];
    char time[16];
    date_time(date, time);
    std::string version;
    if (!library_file_version(version)) version.clear();
    text_buffer<LINE_BUFFER> banner;
    banner.add("============== raidctl Debug log file =================\n");
    banner.add("=====  OS date: %s == time: %s ==\n=====  compiled date: %s =====\n", date, time, COMPILED_DATE);
    banner.add("DLL version = %s\n", version.c_str());
    append_to_file(banner.c_str(), banner.size());
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

void write(std::uint8_t level, const char* text, std::size_t size)
{
    if (wants(level)) append_to_file(text, size);
}

void line(std::uint8_t level, const char* format, ...)
{
    if (!wants(level)) return;
    text_buffer<LINE_BUFFER> text;
    va_list args;
    va_start(args, format);
    text.vadd(format, args);
    va_end(args);
    append_to_file(text.c_str(), text.size());
}

void error_entry(const char* funcname, const char* module, int place, std::uint32_t code)
{
    if (!wants(LEVEL_ERRORS)) return;
    char date[16];
    char time[16];
    date_time(date, time);
    text_buffer<LINE_BUFFER> entry;
    entry.add("****** ERROR ****** OS date: %s ** OS time: %s ***** \n", date, time);
    entry.add("\tfuncname = %s, srcfilename = %s\n \tline = %d\n\tDLLerrcode = 0x%.8x\n", funcname, module, place,
              code);
    append_to_file(entry.c_str(), entry.size());
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
    text_buffer<DUMP_BUFFER> dump;
    dump.add("ControlCode=%x:\n", control_code);
    dump.add("pConfig DATA:\n");
    for (std::size_t offset = 0; offset + 8 <= size; offset += 8) {
        const std::uint8_t* b = record + offset;
        auto shown = [](std::uint8_t c) { return std::isprint(c) ? static_cast<char>(c) : ' '; };
        dump.add("%.8x : %.2x %.2x %.2x %.2x %.2x %.2x %.2x %.2x  #  %c  %c  %c  %c  %c  %c  %c  %c \n",
                 static_cast<unsigned>(offset), b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], shown(b[0]),
                 shown(b[1]), shown(b[2]), shown(b[3]), shown(b[4]), shown(b[5]), shown(b[6]), shown(b[7]));
    }
    dump.add("\nATAD:\n");
    append_to_file(dump.c_str(), dump.size());
}

} // namespace zan::debug_log
