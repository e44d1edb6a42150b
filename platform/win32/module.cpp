// Facts about the running program and its modules: version resources, ids
// and the libraries it loads at run time.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winver.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "plat/module.h"

namespace plat {

bool module_file_version(const char* module_file, std::string& version)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(module_file, &ignored);
    if (size == 0)
        return false;
    std::vector<char> info(size);
    if (GetFileVersionInfoA(module_file, 0, size, info.data()) == FALSE)
        return false;

    // The string table is named by the first language and code page pair.
    void* translation = nullptr;
    UINT translation_size = 0;
    if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &translation, &translation_size) == FALSE ||
        translation_size < 2 * sizeof(WORD)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return false;
    }
    WORD language_codepage[2];
    std::memcpy(language_codepage, translation, sizeof language_codepage);

    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion",
                  static_cast<unsigned>(language_codepage[0]), static_cast<unsigned>(language_codepage[1]));
    void* text = nullptr;
    UINT text_size = 0;
    if (VerQueryValueA(info.data(), query, &text, &text_size) == FALSE || text == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    // The reported length may or may not count the terminating zero.
    const char* chars = static_cast<const char*>(text);
    version.assign(chars, strnlen(chars, text_size));
    return true;
}

std::uint32_t current_process_id()
{
    return GetCurrentProcessId();
}

std::uint32_t current_thread_id()
{
    return GetCurrentThreadId();
}

run_time_library::~run_time_library()
{
    if (module_ != nullptr) static_cast<void>(release());
}

bool run_time_library::load(const char* file_name)
{
    module_ = LoadLibraryA(file_name);
    return module_ != nullptr;
}

run_time_library::function run_time_library::find(const char* name) const
{
    return reinterpret_cast<function>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

bool run_time_library::release()
{
    if (FreeLibrary(static_cast<HMODULE>(module_)) == FALSE) return false;
    module_ = nullptr;
    return true;
}

} // namespace plat
