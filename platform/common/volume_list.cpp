#include "volume_list.h"

#include <new>
#include <utility>

#include "plat/error.h"

namespace plat {

namespace {

struct volume_list {
    std::vector<std::string> names;
    std::size_t next = 0;
};

} // namespace

bool start_volume_list(volume_search& search, std::vector<std::string> names, std::string& name)
{
    search.close();
    auto* list = new (std::nothrow) volume_list{std::move(names), 0};
    if (list == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    search.handle_ = list;
    return search.next(name);
}

volume_search::~volume_search()
{
    close();
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
