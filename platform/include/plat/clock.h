// Local time of the machine.
#ifndef PLAT_CLOCK_H
#define PLAT_CLOCK_H

#include <cstdint>

namespace plat {

struct local_time {
    std::uint16_t year;
    std::uint16_t month;  // 1-12
    std::uint16_t day;    // 1-31
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

local_time now_local();

} // namespace plat

#endif
