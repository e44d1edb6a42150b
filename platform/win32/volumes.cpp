// Volumes: the drive letters and volumes Windows knows and the kind of each.
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

volume_search::~volume_search()
{
    close();
}

bool volume_search::first(std::string& name)
{
    close();
    char buffer[MAX_PATH];
    HANDLE search = FindFirstVolumeA(buffer, sizeof buffer);
    if (search == INVALID_HANDLE_VALUE) return false;
    handle_ = search;
    name = buffer;
    return true;
}

bool volume_search::next(std::string& name)
{
    if (handle_ == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    char buffer[MAX_PATH];
    if (!FindNextVolumeA(handle_, buffer, sizeof buffer)) return false;
    name = buffer;
    return true;
}

void volume_search::close()
{
    if (handle_ != nullptr) {
        FindVolumeClose(handle_);
        handle_ = nullptr;
    }
}

} // namespace plat
