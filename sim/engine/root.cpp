#include "sim/root.h"

#include <cstdlib>

namespace sim {

std::string root_dir()
{
    if (const char* root = std::getenv("ZAN_ROOT"); root != nullptr && *root != '\0') return root;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/.zan-root";
    }
    return "/tmp/zan-root";
}

} // namespace sim
