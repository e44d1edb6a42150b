// Processes: the system's search for an executable, starting a program from
// a command line without a console window, and a timed wait for its end.
#ifndef PLAT_PROCESS_H
#define PLAT_PROCESS_H

#include <cstdint>
#include <string>

#include "plat/sync.h"

namespace plat {

// SearchPath with the system's standard order for executables (the
// program's folder, the current folder, the system folders, PATH). False
// with last_error() set when `file_name` is not found. The hosted build's
// programs carry no ".exe": a name ending in it also finds the file without
// it, and the full path keeps the name as asked for.
[[nodiscard]] bool search_executable(const char* file_name, std::string& full_path);

class process {
public:
    process() = default;
    ~process();
    process(const process&) = delete;
    process& operator=(const process&) = delete;

    // CreateProcess with `command_line` (its first word, quoted or not, is the
    // program), no inherited handles, no console window, this process's
    // environment and current folder. On failure returns false with
    // last_error() set.
    [[nodiscard]] bool create(const std::string& command_line);
    // Waits at most `timeout_ms` for the process to end.
    [[nodiscard]] wait_result wait(std::uint32_t timeout_ms);
    // Closes the handles; the process runs on.
    void close();

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
