// Files of the hosted build: a descriptor with an exclusive flock stands for
// a Windows file opened without sharing.
#include "plat/file.h"

#include "plat/error.h"
#include "posix_io.h"
#include "win_error.h"

#include <fcntl.h>
#include <new>
#include <sys/file.h>

namespace plat {

namespace {

int descriptor(void* handle)
{
    return static_cast<hosted::unique_fd*>(handle)->get();
}

} // namespace

file::~file()
{
    close();
}

bool file::open_always_exclusive(const char* path)
{
    close();
    if (path == nullptr) {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    hosted::unique_fd fd(::open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_DSYNC, 0644));
    if (!fd.valid()) {
        // With O_CREAT only a missing folder leaves the file not found.
        set_last_error(errno == ENOENT ? ERR_PATH_NOT_FOUND : hosted::error_from_errno(errno));
        return false;
    }
    // Another opener holding the lock (EWOULDBLOCK) is the sharing violation
    // Windows reports.
    if (const int error = hosted::lock_file(fd.get(), LOCK_EX | LOCK_NB); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    handle_ = new (std::nothrow) hosted::unique_fd(std::move(fd));
    if (handle_ == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

bool file::seek_end()
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (::lseek(descriptor(handle_), 0, SEEK_END) < 0) {
        hosted::set_last_error_from_errno();
        return false;
    }
    return true;
}

bool file::write(const void* data, std::size_t size)
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (data == nullptr && size != 0) {
        set_last_error(ERR_INVALID_PARAMETER);
        return false;
    }
    if (const int error = hosted::write_all(descriptor(handle_), data, size); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    return true;
}

bool file::is_open() const
{
    return handle_ != nullptr;
}

void file::close()
{
    delete static_cast<hosted::unique_fd*>(handle_);
    handle_ = nullptr;
}

} // namespace plat
