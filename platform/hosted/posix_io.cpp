// Whole-file helpers over POSIX descriptors.
#include "posix_io.h"

#include <fcntl.h>
#include <sys/file.h>

namespace plat::hosted {

int lock_file(int fd, int operation)
{
    while (::flock(fd, operation) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

int write_all(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, bytes + done, size - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(put);
    }
    return 0;
}

int read_whole_file(const std::string& path, std::string& text, bool& exists)
{
    text.clear();
    exists = false;
    unique_fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return errno == ENOENT ? 0 : errno;
    exists = true;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0) return 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace plat::hosted
