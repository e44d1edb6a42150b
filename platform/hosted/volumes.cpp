// Volumes of the hosted build: the drive letters and volumes of the
// simulated storage stack, every one a fixed disk.
#include "plat/volumes.h"

#include "volume_list.h"
#include "sim/device.h"

namespace plat {

std::uint32_t logical_drive_mask()
{
    return sim::volume_mask();
}

std::uint32_t drive_type(const char* root_path)
{
    // A root path is a letter and a colon, with or without the backslash.
    if (root_path == nullptr || root_path[0] == '\0' || root_path[1] != ':' ||
        (root_path[2] != '\0' && (root_path[2] != '\\' || root_path[3] != '\0'))) {
        return DRIVE_TYPE_NO_ROOT_DIR;
    }
    const char c = root_path[0];
    const int index = c >= 'a' && c <= 'z' ? c - 'a' : c >= 'A' && c <= 'Z' ? c - 'A' : -1;
    if (index < 0 || (sim::volume_mask() & (1u << index)) == 0) return DRIVE_TYPE_NO_ROOT_DIR;
    return DRIVE_TYPE_FIXED;
}

bool volume_search::first(std::string& name)
{
    return start_volume_list(*this, sim::volume_names(), name);
}

} // namespace plat
