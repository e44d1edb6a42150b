// Facts about the running program (process and thread ids) and the
// libraries it loads at run time, by dlopen from its own folder.
#include "plat/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "plat/error.h"

namespace plat {

namespace {

constexpr std::uint32_t ERR_MOD_NOT_FOUND = 126;
constexpr std::uint32_t ERR_PROC_NOT_FOUND = 127;

// The folder of the running program, with its trailing slash.
std::string program_folder()
{
    std::string path(4096, '\0');
    const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size());
    if (size <= 0) return {};
    path.resize(static_cast<std::size_t>(size));
    return path.substr(0, path.rfind('/') + 1);
}

// "name.dll" is the shared object "libname.so".
std::string shared_object_name(std::string file_name)
{
    constexpr std::string_view dll = ".dll";
    if (file_name.size() > dll.size() && file_name.compare(file_name.size() - dll.size(), dll.size(), dll) == 0) {
        file_name.resize(file_name.size() - dll.size());
    }
    return "lib" + file_name + ".so";
}

} // namespace

run_time_library::~run_time_library()
{
    if (module_ != nullptr) static_cast<void>(release());
}

bool run_time_library::load(const char* file_name)
{
    module_ = ::dlopen((program_folder() + shared_object_name(file_name)).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) set_last_error(ERR_MOD_NOT_FOUND);
    return module_ != nullptr;
}

run_time_library::function run_time_library::find(const char* name) const
{
    void* symbol = module_ == nullptr ? nullptr : ::dlsym(module_, name);
    if (symbol == nullptr) set_last_error(ERR_PROC_NOT_FOUND);
    return reinterpret_cast<function>(symbol);
}

bool run_time_library::release()
{
    if (::dlclose(module_) != 0) {
        set_last_error(ERR_MOD_NOT_FOUND);
        return false;
    }
    module_ = nullptr;
    return true;
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
