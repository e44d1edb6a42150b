#include "clock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "fields.h"
#include "posix_io.h"
#include "store.h"

namespace sim {

namespace {

constexpr const char* SIMULATED = "simulated ";

std::string clock_path(const std::string& root)
{
    return root + "/clock";
}

} // namespace

std::string read_clock(const std::string& root, clock_reading& out)
{
    std::ifstream in(clock_path(root));
    if (!in) {
        out.simulated = false;
        out.now_ms = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    std::chrono::system_clock::now().time_since_epoch())
                                                    .count());
        return {};
    }
    std::string line;
    std::getline(in, line);
    std::uint64_t now = 0;
    if (line.rfind(SIMULATED, 0) != 0 || !parse_number(std::string_view(line).substr(std::strlen(SIMULATED)),
                                                        UINT64_MAX, now)) {
        return "clock file " + clock_path(root) + ": expected \"simulated MILLISECONDS\"";
    }
    out.simulated = true;
    out.now_ms = now;
    return {};
}

std::string set_simulated_clock(const std::string& root, std::uint64_t now_ms)
{
    return write_file_safely(clock_path(root), SIMULATED + std::to_string(now_ms) + "\n",
                             plat::hosted::durability::process_crash);
}

std::string use_real_clock(const std::string& root)
{
    if (std::remove(clock_path(root).c_str()) != 0 && errno != ENOENT) {
        return "cannot remove " + clock_path(root) + ": " + std::strerror(errno);
    }
    return {};
}

} // namespace sim
