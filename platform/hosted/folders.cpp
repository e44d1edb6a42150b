// Folders and new files of the hosted build. A backslash in a path is a
// separator, as on Windows, so that the Windows forms of the programs'
// paths ("<folder>\Log") name the same files here.
#include "plat/folders.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>

#include "plat/error.h"
#include "posix_io.h"
#include "win_error.h"

namespace plat {

namespace {

std::string native(const char* path)
{
    std::string text = path == nullptr ? std::string() : std::string(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

bool fail_from_errno()
{
    hosted::set_last_error_from_errno();
    return false;
}

} // namespace

bool folder_exists(const char* path)
{
    struct stat info {};
    if (::stat(native(path).c_str(), &info) != 0) {
        set_last_error(errno == ENOENT ? ERR_FILE_NOT_FOUND : hosted::error_from_errno(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        set_last_error(ERR_DIRECTORY);
        return false;
    }
    return true;
}

bool list_folder(const char* path, std::vector<folder_entry>& entries)
{
    entries.clear();
    const std::string folder = native(path);
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return fail_from_errno();
    errno = 0;
    while (const dirent* item = ::readdir(listing)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        // A link is listed as what it is, never followed: a walk of the
        // folder tree cannot loop.
        if (::lstat((folder + "/" + name).c_str(), &info) != 0) continue;
        folder_entry entry;
        entry.name = name;
        entry.is_folder = S_ISDIR(info.st_mode);
        entry.size = entry.is_folder ? 0 : static_cast<std::uint64_t>(info.st_size);
        entries.push_back(std::move(entry));
        errno = 0;
    }
    const int error = errno;
    ::closedir(listing);
    if (error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    return true;
}

bool delete_file(const char* path)
{
    const std::string file = native(path);
    struct stat info {};
    if (::lstat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        set_last_error(ERR_ACCESS_DENIED); // DeleteFile refuses a folder
        return false;
    }
    return ::unlink(file.c_str()) == 0 || fail_from_errno();
}

bool file_size(const char* path, std::uint64_t& bytes)
{
    struct stat info {};
    if (::stat(native(path).c_str(), &info) != 0) return fail_from_errno();
    bytes = static_cast<std::uint64_t>(info.st_size);
    return true;
}

} // namespace plat
