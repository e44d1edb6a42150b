#include "sim/disk_space.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "fields.h"
#include "posix_io.h"
#include "sim/root.h"
#include "store.h"

namespace sim {

namespace {

std::string cap_path(const std::string& root)
{
    return root + "/free_space";
}

} // namespace

std::optional<std::uint64_t> free_space_cap(const std::string& root)
{
    std::ifstream in(cap_path(root));
    std::string line;
    std::uint64_t bytes = 0;
    if (!in || !std::getline(in, line) || !parse_number(line, UINT64_MAX, bytes)) return std::nullopt;
    return bytes;
}

std::string set_free_space_cap(std::optional<std::uint64_t> bytes)
{
    const std::string path = cap_path(root_dir());
    if (bytes) return write_file_safely(path, std::to_string(*bytes) + "\n", plat::hosted::durability::process_crash);
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        return "cannot remove " + path + ": " + std::strerror(errno);
    }
    return {};
}

} // namespace sim
