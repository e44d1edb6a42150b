// Files of the hosted build: a descriptor with an exclusive flock stands for
// a Windows file opened without sharing. Paths of dump files and folders may
// be written with backslashes, as on Windows: they separate folders here too.
#include "plat/file.h"

#include "plat/error.h"
#include "posix_io.h"
#include "sim/disk_space.h"
#include "sim/root.h"
#include "win_error.h"

#include <algorithm>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <vector>

namespace plat {

namespace {

int descriptor(void* handle)
{
    return static_cast<hosted::unique_fd*>(handle)->get();
}

// Takes the file for this handle alone and keeps its descriptor in `handle`.
// Another opener holding the lock (EWOULDBLOCK) is the sharing violation
// Windows reports.
bool adopt_exclusive(hosted::unique_fd fd, void*& handle)
{
    if (const int error = hosted::lock_file(fd.get(), LOCK_EX | LOCK_NB); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    handle = new (std::nothrow) hosted::unique_fd(std::move(fd));
    if (handle == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

// The status of the file behind an open handle.
bool stat_open(void* handle, struct stat& info)
{
    if (handle == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (::fstat(descriptor(handle), &info) != 0) {
        hosted::set_last_error_from_errno();
        return false;
    }
    return true;
}

// Longest folder path CreateDirectory takes, terminating zero included
// (room is left for a file name of 8.3 characters).
constexpr std::size_t max_folder_path_chars = max_full_path_chars - 12;

// The host's path for a path of the programs: backslashes become slashes.
// False with last_error() set when it is `limit` characters or longer.
bool host_path(const char* path, std::size_t limit, std::string& out)
{
    if (path == nullptr || *path == '\0') {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    out = path;
    if (out.size() >= limit) {
        set_last_error(hosted::ERR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::replace(out.begin(), out.end(), '\\', '/');
    return true;
}

// The free space the host's file system gives for the folder `path` or, when
// it does not exist yet, for its nearest existing parent.
bool host_free_bytes(std::string path, std::uint64_t& bytes)
{
    for (;;) {
        struct statvfs info {};
        if (::statvfs(path.c_str(), &info) == 0) {
            bytes = std::uint64_t{info.f_bavail} * info.f_frsize;
            return true;
        }
        if (errno != ENOENT && errno != ENOTDIR) {
            hosted::set_last_error_from_errno();
            return false;
        }
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        const std::size_t cut = path.rfind('/');
        if (cut == std::string::npos || path == "/") {
            set_last_error(ERR_PATH_NOT_FOUND);
            return false;
        }
        path.erase(cut == 0 ? 1 : cut);
    }
}

} // namespace

file::~file()
{
    close();
}

bool file::open_append_exclusive(const char* path)
{
    close();
    if (path == nullptr) {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    hosted::unique_fd fd(::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        // With O_CREAT only a missing folder leaves the file not found.
        set_last_error(errno == ENOENT ? ERR_PATH_NOT_FOUND : hosted::error_from_errno(errno));
        return false;
    }
    return adopt_exclusive(std::move(fd), handle_);
}

bool file::create_replace_exclusive(const char* path)
{
    close();
    std::string host;
    if (!host_path(path, max_full_path_chars, host)) return false;
    // Emptied only once it is ours: a file another opener holds stays whole.
    hosted::unique_fd fd(::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        if (errno == EISDIR) {
            set_last_error(ERR_ACCESS_DENIED); // Windows refuses to open a folder as a file
        } else {
            set_last_error(errno == ENOENT ? ERR_PATH_NOT_FOUND : hosted::error_from_errno(errno));
        }
        return false;
    }
    if (!adopt_exclusive(std::move(fd), handle_)) return false;
    if (::ftruncate(descriptor(handle_), 0) != 0) {
        hosted::set_last_error_from_errno();
        close();
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

bool file::open_existing_read_exclusive(const char* path)
{
    close();
    std::string host;
    if (!host_path(path, max_full_path_chars, host)) return false;
    // Without O_NONBLOCK, opening a FIFO would wait for a writer for ever;
    // reads of a regular file never block, so the flag is dropped for them.
    hosted::unique_fd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        hosted::set_last_error_from_errno();
        return false;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        hosted::set_last_error_from_errno();
        return false;
    }
    if (S_ISDIR(info.st_mode)) { // Windows refuses to open a folder as a file
        set_last_error(ERR_ACCESS_DENIED);
        return false;
    }
    if (S_ISREG(info.st_mode)) {
        const int flags = ::fcntl(fd.get(), F_GETFL);
        if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
            hosted::set_last_error_from_errno();
            return false;
        }
    }
    return adopt_exclusive(std::move(fd), handle_);
}

bool file::kind(file_kind& kind) const
{
    struct stat info {};
    if (!stat_open(handle_, info)) return false;
    kind = S_ISREG(info.st_mode) ? file_kind::disk : file_kind::other;
    return true;
}

bool file::size(std::uint64_t& bytes) const
{
    struct stat info {};
    if (!stat_open(handle_, info)) return false;
    bytes = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool file::read(void* data, std::size_t size, std::size_t& count)
{
    count = 0;
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    auto* next = static_cast<char*>(data);
    while (count < size) {
        const ssize_t got = ::read(descriptor(handle_), next + count, size - count);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            hosted::set_last_error_from_errno();
            return false;
        }
        if (got == 0) break;
        count += static_cast<std::size_t>(got);
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

bool file::close_checked()
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    const int error = static_cast<hosted::unique_fd*>(handle_)->close_checked();
    close();
    if (error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    return true;
}

bool full_path_name(const char* name, std::string& path)
{
    if (name == nullptr || *name == '\0') {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    std::string joined;
    if (*name != '/') {
        std::vector<char> folder(4096);
        if (::getcwd(folder.data(), folder.size()) == nullptr) {
            hosted::set_last_error_from_errno();
            return false;
        }
        joined = folder.data();
        joined += '/';
    }
    joined += name;

    // Resolve "." and ".." by the text alone, as Windows does.
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= joined.size()) {
        std::size_t end = joined.find('/', at);
        if (end == std::string::npos) end = joined.size();
        const std::string part = joined.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += "/" + part;
    if (result.empty()) result = "/";
    if (joined.back() == '/' && result != "/") result += '/';
    if (result.size() >= max_full_path_chars) {
        set_last_error(hosted::ERR_FILENAME_EXCED_RANGE);
        return false;
    }
    path = result;
    return true;
}

path_kind find_path(const char* path)
{
    std::string host;
    struct stat info {};
    if (!host_path(path, max_full_path_chars, host) || ::stat(host.c_str(), &info) != 0) return path_kind::missing;
    return S_ISDIR(info.st_mode) ? path_kind::folder : path_kind::file;
}

bool create_folder(const char* path)
{
    std::string host;
    if (!host_path(path, max_folder_path_chars, host)) return false;
    if (::mkdir(host.c_str(), 0755) != 0) {
        set_last_error(errno == EEXIST   ? ERR_ALREADY_EXISTS
                       : errno == ENOENT ? ERR_PATH_NOT_FOUND
                                         : hosted::error_from_errno(errno));
        return false;
    }
    return true;
}

// Clusters of 4096 bytes; the cap of the simulated machine, if any, lowers
// what the host has.
bool volume_free_space(const char* folder, disk_space& space)
{
    constexpr std::uint32_t sector = 512;
    constexpr std::uint32_t sectors_per_cluster = 8;
    std::string host;
    if (!host_path(folder, max_full_path_chars, host)) return false;
    if (folder[0] != '/') { // a leading backslash names no volume either
        set_last_error(hosted::ERR_BAD_PATHNAME);
        return false;
    }
    std::uint64_t bytes = 0;
    if (!host_free_bytes(host, bytes)) return false;
    if (const auto cap = sim::free_space_cap(sim::root_dir()); cap) bytes = std::min(bytes, *cap);
    space.sectors_per_cluster = sectors_per_cluster;
    space.bytes_per_sector = sector;
    space.free_clusters =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes / (sector * sectors_per_cluster), UINT32_MAX));
    return true;
}

} // namespace plat
