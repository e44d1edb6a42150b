// The Event Log of the hosted build: the records go to the root's event log
// (event_store.h), which every program of the machine shares and which
// zansim eventlog lists with the message texts.
#include "plat/event_log.h"

#include <new>
#include <string>
#include <sys/stat.h>

#include "event_store.h"
#include "plat/error.h"
#include "sim/root.h"
#include "win_error.h"

namespace plat {

event_source::~event_source()
{
    deregister();
}

bool event_source::register_source(const char* name)
{
    deregister();
    if (name == nullptr || *name == '\0') {
        set_last_error(ERR_INVALID_PARAMETER);
        return false;
    }
    // A machine without a root has no Event Log to write to.
    struct stat st{};
    if (::stat(sim::root_dir().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    handle_ = new (std::nothrow) std::string(name);
    if (handle_ == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

bool event_source::report(std::uint16_t type, std::uint16_t category, std::uint32_t event_id,
                          std::span<const char* const> strings, std::span<const std::uint8_t> data)
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    hosted::event_record record;
    record.type = type;
    record.category = category;
    record.source = *static_cast<const std::string*>(handle_);
    record.id = event_id;
    for (const char* s : strings) record.strings.emplace_back(s == nullptr ? "" : s);
    record.data.assign(data.begin(), data.end());
    if (const int error = hosted::append_event(sim::root_dir(), record); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    return true;
}

void event_source::deregister()
{
    delete static_cast<std::string*>(handle_);
    handle_ = nullptr;
}

} // namespace plat
