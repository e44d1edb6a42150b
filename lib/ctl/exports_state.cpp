// Start and end of library use, the last error, the debug log and the
// library's version.
#include <cstring>
#include <string>

#include "controller_table.h"
#include "debug_log.h"
#include "discovery.h"
#include "export_support.h"
#include "library_version.h"
#include "plat/error.h"
#include "thread_errors.h"
#include "zandllctl.h"

using namespace zan;

namespace {

constexpr const char* EXCLUSIVE_MUTEX_NAME = "ZAN_DLL_ExclusiveObj";
constexpr int CREATE_EXCLUSIVE_MUTEX = 1;

// The library's FileVersion; both version exports store a failure under the
// name "GetDLLVersionSize".
bool query_version(std::string& version)
{
    if (library_file_version(version)) return true;
    const std::uint32_t os_error = plat::last_error();
    export_failed("GetDLLVersionSize", __LINE__, DLL_ERROR_SYSTEM);
    debug_log::errmsg_system(os_error);
    plat::set_last_error(os_error);
    return false;
}

} // namespace

extern "C" {

ZANEXPORT BOOL32 ZANAPI initContData(int flag)
{
    const export_entry entry("initContData", entry_kind::untraced);
    return entry.run([&] {
        // No slot may keep naming a port of an earlier scan, whichever way
        // this one ends.
        reset_controller_table();
        library_state& lib = library();
        if (low_byte(flag) == CREATE_EXCLUSIVE_MUTEX) {
            bool existed = false;
            // A repeated start holds one mutex, not a leaked handle per call.
            if (lib.exclusive_mutex.is_open()) (void)lib.exclusive_mutex.close();
            if (!lib.exclusive_mutex.create(EXCLUSIVE_MUTEX_NAME, true, existed)) {
                export_failed(entry.name(), __LINE__, DLL_ERROR_MUTEX);
                return 0;
            }
        }
        return discover_controllers() ? 1 : 0;
    });
}

ZANEXPORT BOOL32 ZANAPI finContData(void)
{
    const export_entry entry("finContData", entry_kind::untraced);
    return entry.run([&] {
        library_state& lib = library();
        if (lib.exclusive_mutex.is_open() && !lib.exclusive_mutex.close()) {
            const std::uint32_t os_error = plat::last_error();
            export_failed(entry.name(), __LINE__, DLL_ERROR_SYSTEM);
            debug_log::errmsg_system(os_error);
            plat::set_last_error(os_error);
            return 0;
        }
        lib.initialized = false;
        return 1;
    });
}

ZANEXPORT std::uint32_t ZANAPI DLLGetLastError(void)
{
    const export_entry entry("DLLGetLastError", entry_kind::keeps_error);
    return entry.run([] { return thread_errors::get(); });
}

ZANEXPORT BOOL32 ZANAPI DLLSetDebugLevel(int level)
{
    const export_entry entry("DLLSetDebugLevel", entry_kind::keeps_error);
    return entry.run([&] { return debug_log::set_level(low_byte(level)) ? 1 : 0; });
}

ZANEXPORT BOOL32 ZANAPI DebugOn(const char* path)
{
    const export_entry entry("DebugOn", entry_kind::keeps_error);
    return entry.run([&] {
        if (path == nullptr) {
            thread_errors::set(DLL_ARG_ERROR_NULL | DLL_ERROR_ARGUMENT);
            return 0;
        }
        if (!debug_log::open(path)) {
            thread_errors::set(DLL_ERROR_SYSTEM);
            return 0;
        }
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getDLLVersionSize(int* size)
{
    const export_entry entry("GetDLLVersionSize", entry_kind::untraced);
    return entry.run([&] {
        if (!check_pointer(entry, size)) return 0;
        std::string version;
        if (!query_version(version)) return 0;
        *size = static_cast<int>(version.size() + 1);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getDLLVersion(char* buffer, unsigned int size)
{
    const export_entry entry("GetDLLVersion", "chVer_size = %d\n", size);
    return entry.run([&] {
        if (!check_pointer(entry, buffer)) return 0;
        if (size == 0) {
            export_failed(entry.name(), __LINE__, DLL_ARG_ERROR_SIZESPEC | DLL_ERROR_ARGUMENT);
            return 0;
        }
        std::string version;
        if (!query_version(version)) return 0;
        const std::size_t copied = std::min<std::size_t>(version.size(), size - 1);
        std::memcpy(buffer, version.data(), copied);
        buffer[copied] = '\0';
        return 1;
    });
}

} // extern "C"
