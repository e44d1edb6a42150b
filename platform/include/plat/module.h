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

std::uint32_t current_process_id();
std::uint32_t current_thread_id();

} // namespace plat

#endif
