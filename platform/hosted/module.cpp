// Facts about the running program and the modules it is built from.
#include "plat/module.h"

#include "plat/error.h"
#include "ascii_case.h"

#include <unistd.h>

namespace plat {

namespace {

struct module_version {
    const char* file;
    const char* version;
};

// The version resources the hosted modules would carry.
constexpr module_version module_versions[] = {
    {"zandllctl.dll", ZAN_DLLCTL_VERSION},
};

} // namespace

bool module_file_version(const char* module_file, std::string& version)
{
    if (module_file == nullptr) {
        set_last_error(ERR_INVALID_PARAMETER);
        return false;
    }
    for (const module_version& entry : module_versions) {
        // File names compare without regard to case, as on Windows.
        if (hosted::equal_ignoring_case(module_file, entry.file)) {
            version = entry.version;
            return true;
        }
    }
    set_last_error(ERR_FILE_NOT_FOUND);
    return false;
}

std::uint32_t current_process_id()
{
    return static_cast<std::uint32_t>(::getpid());
}

std::uint32_t current_thread_id()
{
    return static_cast<std::uint32_t>(::gettid());
}

} // namespace plat
