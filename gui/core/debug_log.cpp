#include "debug_log.h"

#include <cstdio>
#include <string>

#include <plat/clock.h>

namespace gui {

namespace {

struct stamp {
    char date[16];
    char time[16];
};

// "MM/DD/YY" and "HH:MM:SS" of the local time.
stamp now_stamp()
{
    const plat::local_time now = plat::now_local();
    stamp s{};
    std::snprintf(s.date, sizeof s.date, "%02u/%02u/%02u", now.month % 100u, now.day % 100u, now.year % 100u);
    std::snprintf(s.time, sizeof s.time, "%02u:%02u:%02u", now.hour % 100u, now.minute % 100u, now.second % 100u);
    return s;
}

} // namespace

bool debug_log::open(const char* path)
{
    if (!file_.open_append_exclusive(path)) return false;
    const stamp s = now_stamp();
    char banner[160];
    const int length = std::snprintf(banner, sizeof banner,
                                     "============== QvmUtil2 Debug log file =================\n"
                                     "=====  OS date: %s == time: %s ==\n",
                                     s.date, s.time);
    (void)file_.write(banner, static_cast<std::size_t>(length));
    return true;
}

void debug_log::entry(std::uint8_t level, std::uint8_t limit, std::string_view text)
{
    if (!file_.is_open() || level > limit) return;
    const stamp s = now_stamp();
    char heading[96];
    std::snprintf(heading, sizeof heading, "=====  error date: %s == error time: %s ==\n", s.date, s.time);
    std::string lines = heading;
    lines.append(text);
    lines += '\n';
    (void)file_.write(lines.data(), lines.size());
}

void debug_log::close()
{
    file_.close();
}

} // namespace gui
