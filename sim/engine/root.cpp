#include "sim/root.h"

#include <cstdlib>

#include "clock.h"

namespace sim {

std::string root_dir()
{
    if (const char* root = std::getenv("ZAN_ROOT"); root != nullptr && *root != '\0') return root;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/.zan-root";
    }
    return "/tmp/zan-root";
}

bool stopped_clock(const std::string& root, std::uint64_t& now_ms)
{
    clock_reading clock;
    if (!read_clock(root, clock).empty() || !clock.simulated) return false;
    now_ms = clock.now_ms;
    return true;
}

} // namespace sim
