// Volumes: the drive letters Windows knows and the kind of each.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/volumes.h"

namespace plat {

std::uint32_t logical_drive_mask()
{
    return GetLogicalDrives();
}

std::uint32_t drive_type(const char* root_path)
{
    return GetDriveTypeA(root_path);
}

} // namespace plat
