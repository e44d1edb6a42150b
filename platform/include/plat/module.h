// Facts about the running program and its modules.
#ifndef PLAT_MODULE_H
#define PLAT_MODULE_H

#include <cstdint>
#include <string>

namespace plat {

// FileVersion string of the version resource of a module file found by the
// system's normal search. False with last_error() set. Windows build only:
// the hosted build's modules carry no version resources.
[[nodiscard]] bool module_file_version(const char* module_file, std::string& version);

// A library loaded at run time by its file name (LoadLibrary), whose
// functions are looked up by name (GetProcAddress). The hosted build loads the
// shared object of the same name from the running program's folder
// ("zandllpth.dll": libzandllpth.so there). Failures leave the reason in
// last_error().
class run_time_library {
public:
    using function = void (*)();

    run_time_library() = default;
    ~run_time_library();
    run_time_library(const run_time_library&) = delete;
    run_time_library& operator=(const run_time_library&) = delete;

    [[nodiscard]] bool load(const char* file_name);
    // Null when the library has no function of that name.
    [[nodiscard]] function find(const char* name) const;
    // Unloads the library; false when the system refuses.
    [[nodiscard]] bool release();

private:
    void* module_ = nullptr;
};

std::uint32_t current_process_id();
std::uint32_t current_thread_id();

} // namespace plat

#endif
