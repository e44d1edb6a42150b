// Local time: the simulated machine's clock while it is stopped, else the
// real clock.
#include "plat/clock.h"

#include <ctime>

#include "sim/root.h"

namespace plat {

local_time now_local()
{
    timespec now{};
    std::uint64_t stopped_ms = 0;
    if (sim::stopped_clock(sim::root_dir(), stopped_ms)) {
        now.tv_sec = static_cast<time_t>(stopped_ms / 1000);
        now.tv_nsec = static_cast<long>(stopped_ms % 1000) * 1000000L;
    } else {
        ::clock_gettime(CLOCK_REALTIME, &now);
    }
    tm parts{};
    ::localtime_r(&now.tv_sec, &parts);
    local_time time{};
    time.year = static_cast<std::uint16_t>(parts.tm_year + 1900);
    time.month = static_cast<std::uint16_t>(parts.tm_mon + 1);
    time.day = static_cast<std::uint16_t>(parts.tm_mday);
    time.hour = static_cast<std::uint16_t>(parts.tm_hour);
    time.minute = static_cast<std::uint16_t>(parts.tm_min);
    // A leap second reads as the last second of its minute, as Windows has none.
    time.second = static_cast<std::uint16_t>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    time.milliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
    return time;
}

} // namespace plat
