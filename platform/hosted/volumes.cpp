// Volumes of the hosted build: the drive letters and volumes of the
// simulated storage stack, every one a fixed disk.
#include "plat/volumes.h"

#include <new>
#include <vector>

#include "plat/error.h"
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

} // namespace plat

namespace plat {

// A search holds the names as they were when it started and the position.
namespace {
struct volume_list {
    std::vector<std::string> names;
    std::size_t next = 0;
};
} // namespace

volume_search::~volume_search()
{
    close();
}

bool volume_search::first(std::string& name)
{
    close();
    auto* list = new (std::nothrow) volume_list{sim::volume_names(), 0};
    if (list == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    handle_ = list;
    return next(name);
}

bool volume_search::next(std::string& name)
{
    auto* list = static_cast<volume_list*>(handle_);
    if (list == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (list->next == list->names.size()) {
        set_last_error(ERR_NO_MORE_FILES);
        return false;
    }
    name = list->names[list->next++];
    return true;
}

void volume_search::close()
{
    delete static_cast<volume_list*>(handle_);
    handle_ = nullptr;
}

} // namespace plat
