#include "service_store.h"

#include <cstdio>
#include <fcntl.h>

#include "posix_io.h"

namespace plat::hosted {

namespace {

const char* state_name(std::uint32_t state)
{
    switch (state) {
    case SVC_STOPPED: return "SERVICE_STOPPED";
    case SVC_START_PENDING: return "SERVICE_START_PENDING";
    case SVC_STOP_PENDING: return "SERVICE_STOP_PENDING";
    case SVC_RUNNING: return "SERVICE_RUNNING";
    default: return "SERVICE_STATE_UNKNOWN";
    }
}

} // namespace

std::string service_file(const std::string& root, const std::string& name, const char* suffix)
{
    return root + "/services/" + name + suffix;
}

std::string format_service_status(const service_status& s)
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "%s controls=0x%x checkpoint=%u waithint=%u exitcode=%u specific=%u type=0x%x\n",
                  state_name(s.current_state), s.controls_accepted, s.check_point, s.wait_hint, s.win32_exit_code,
                  s.service_exit_code, s.service_type);
    return line;
}

int record_service_status(const std::string& root, const std::string& name, const service_status& status)
{
    const std::string line = format_service_status(status);
    unique_fd history(::open(service_file(root, name, ".history").c_str(),
                             O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!history.valid()) return errno;
    if (const int error = write_all(history.get(), line.data(), line.size()); error != 0) return error;
    if (const int error = history.close_checked(); error != 0) return error;
    return replace_file(service_file(root, name, ".status"), line, durability::process_crash);
}

} // namespace plat::hosted
