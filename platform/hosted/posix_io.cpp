// Whole-file helpers over POSIX descriptors.
#include "posix_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cstdlib>

namespace plat::hosted {

file_identity identity_of(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

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
    return read_all(fd.get(), text);
}

int read_all(int fd, std::string& text)
{
    text.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) return 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

int replace_file(const std::string& path, std::string_view content, durability level)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    // A hidden name no reader lists; unique, so two writers never share it.
    std::string temporary = folder + "/." + path.substr(slash + 1) + ".XXXXXX";
    unique_fd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) return errno;
    int error = ::fchmod(fd.get(), 0644) != 0 ? errno : 0;
    if (error == 0) error = write_all(fd.get(), content.data(), content.size());
    if (error == 0 && level == durability::machine_crash && ::fsync(fd.get()) != 0) error = errno;
    const int close_error = fd.close_checked();
    if (error == 0) error = close_error;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    if (level == durability::machine_crash) {
        // The rename itself reaches the disk with its folder.
        unique_fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir.valid() || ::fsync(dir.get()) != 0) return errno;
    }
    return 0;
}

} // namespace plat::hosted
