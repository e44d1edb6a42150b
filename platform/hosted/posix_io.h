// File descriptors for the hosted facilities: a descriptor that closes
// itself and the few whole-file operations built on it. The helpers return 0
// or an errno value.
#ifndef PLAT_HOSTED_POSIX_IO_H
#define PLAT_HOSTED_POSIX_IO_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::hosted {

class unique_fd {
public:
    unique_fd() = default;
    explicit unique_fd(int fd) : fd_(fd) {}
    ~unique_fd() { reset(); }
    unique_fd(const unique_fd&) = delete;
    unique_fd& operator=(const unique_fd&) = delete;
    unique_fd(unique_fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    unique_fd& operator=(unique_fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    void reset()
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    // Closes the descriptor and reports the close's own result: 0 or an errno
    // value (a delayed write error shows up here).
    [[nodiscard]] int close_checked()
    {
        const int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0) return errno;
        return 0;
    }

private:
    int fd_ = -1;
};

// What tells one version of a file from another: which file it is, its size
// and its times. A reader that keeps a parsed copy holds the file open, so
// that the inode number cannot be reused and a replaced file always differs.
struct file_identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    std::int64_t modified_ns = 0;
    std::int64_t changed_ns = 0;
    bool operator==(const file_identity&) const = default;
};

// The identity of the file `st` describes.
file_identity identity_of(const struct stat& st);

// flock, resumed after signals.
[[nodiscard]] int lock_file(int fd, int operation);

// Writes every byte, resuming after short writes and signals.
[[nodiscard]] int write_all(int fd, const void* data, std::size_t size);

// Reads from `fd` to its end.
[[nodiscard]] int read_all(int fd, std::string& text);

// Reads a whole file; `exists` is false (and the result 0) when there is none.
[[nodiscard]] int read_whole_file(const std::string& path, std::string& text, bool& exists);

// Whether a replaced file must survive a machine crash as well as a killed
// process.
enum class durability { process_crash, machine_crash };

// Replaces `path` in one step: the bytes go to a temporary file of a unique
// name in the same folder, every write and the close checked, and the file is
// renamed over `path`, so that a reader or a killed writer leaves the old or
// the new content, never a mix. For machine_crash the file is synced before
// the rename and the folder after it. On failure the temporary file is gone.
[[nodiscard]] int replace_file(const std::string& path, std::string_view content, durability level);

} // namespace plat::hosted

#endif
