// The hosted build: the shared object beside the program, by dlopen.
#include "pth_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string>

#include "plat/error.h"

namespace pth {

namespace {

constexpr std::uint32_t ERR_MOD_NOT_FOUND = 126;
constexpr std::uint32_t ERR_PROC_NOT_FOUND = 127;
constexpr const char* library_file = "libzandllpth.so";

// The folder of the running program, with its trailing slash.
std::string program_folder()
{
    std::string path(4096, '\0');
    const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size());
    if (size <= 0)
        return {};
    path.resize(static_cast<std::size_t>(size));
    return path.substr(0, path.rfind('/') + 1);
}

} // namespace

bool pth_library::load()
{
    module_ = ::dlopen((program_folder() + library_file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr)
        plat::set_last_error(ERR_MOD_NOT_FOUND);
    return module_ != nullptr;
}

generic_function pth_library::lookup(const char* name) const
{
    void* symbol = module_ == nullptr ? nullptr : ::dlsym(module_, name);
    if (symbol == nullptr)
        plat::set_last_error(ERR_PROC_NOT_FOUND);
    return reinterpret_cast<generic_function>(symbol);
}

bool pth_library::release()
{
    if (::dlclose(module_) != 0) {
        plat::set_last_error(ERR_MOD_NOT_FOUND);
        return false;
    }
    module_ = nullptr;
    return true;
}

} // namespace pth
