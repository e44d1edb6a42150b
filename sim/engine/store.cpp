#include "store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>

#include "model_text.h"
#include "posix_io.h"

namespace sim {

namespace {

std::string lock_path(const std::string& root, std::uint32_t port)
{
    return adapters_dir(root) + "/port" + std::to_string(port) + ".lock";
}

std::string system_error(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// Reads a whole file; false with `error` set when it cannot.
bool read_file(const std::string& path, std::string& text, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = system_error("cannot open", path);
        return false;
    }
    text.clear();
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = system_error("cannot read", path);
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

} // namespace

std::string adapters_dir(const std::string& root)
{
    return root + "/adapters";
}

std::string state_path(const std::string& root, std::uint32_t port)
{
    return adapters_dir(root) + "/port" + std::to_string(port) + ".state";
}

bool adapter_exists(const std::string& root, std::uint32_t port)
{
    struct stat st {};
    return ::stat(state_path(root, port).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::uint32_t> list_ports(const std::string& root)
{
    std::vector<std::uint32_t> ports;
    DIR* dir = ::opendir(adapters_dir(root).c_str());
    if (dir == nullptr) return ports;
    while (const dirent* entry = ::readdir(dir)) {
        unsigned port = 0;
        char tail[8] = {};
        // "port<N>.state" and nothing after it.
        if (std::sscanf(entry->d_name, "port%u.%7s", &port, tail) == 2 && std::strcmp(tail, "state") == 0 &&
            port <= 255 && std::string(entry->d_name) == "port" + std::to_string(port) + ".state") {
            ports.push_back(port);
        }
    }
    ::closedir(dir);
    std::sort(ports.begin(), ports.end());
    return ports;
}

std::string load_adapter(const std::string& root, std::uint32_t port, adapter& out)
{
    const std::string path = state_path(root, port);
    std::string text;
    std::string error;
    if (!read_file(path, text, error)) return error;
    if (error = parse_adapter(text, out); !error.empty()) return "state file " + path + ": " + error;
    if (out.port != port) return "state file " + path + ": describes port " + std::to_string(out.port);
    return {};
}

std::string save_adapter(const std::string& root, const adapter& a)
{
    return write_file_safely(state_path(root, a.port), format_adapter(a), plat::hosted::durability::process_crash);
}

std::string write_file_safely(const std::string& path, const std::string& text, plat::hosted::durability level)
{
    if (const int error = plat::hosted::replace_file(path, text, level); error != 0) {
        errno = error;
        return system_error("cannot replace", path);
    }
    return {};
}

adapter_lock::~adapter_lock()
{
    if (fd_ >= 0) ::close(fd_);
}

adapter_lock::outcome adapter_lock::try_lock(const std::string& root, std::uint32_t port)
{
    if (fd_ >= 0) return outcome::held;
    const std::string path = lock_path(root, port);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error_ = system_error("cannot open", path);
        return outcome::failed;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        if (!busy) error_ = system_error("cannot lock", path);
        ::close(fd);
        return busy ? outcome::busy : outcome::failed;
    }
    fd_ = fd;
    return outcome::held;
}

adapter_lock::outcome adapter_lock::lock_within(const std::string& root, std::uint32_t port, int timeout_ms)
{
    for (int waited = 0;; waited += 5) {
        const outcome o = try_lock(root, port);
        if (o != outcome::busy || waited >= timeout_ms) return o;
        ::usleep(5000);
    }
}

} // namespace sim
