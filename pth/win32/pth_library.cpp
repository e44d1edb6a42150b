// The Windows build: "zandllpth.dll" by the system's search.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "pth_library.h"

namespace pth {

bool pth_library::load()
{
    module_ = LoadLibraryA("zandllpth.dll");
    return module_ != nullptr;
}

generic_function pth_library::lookup(const char* name) const
{
    return reinterpret_cast<generic_function>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

bool pth_library::release()
{
    if (FreeLibrary(static_cast<HMODULE>(module_)) == FALSE)
        return false;
    module_ = nullptr;
    return true;
}

} // namespace pth
