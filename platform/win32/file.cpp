// Files: append-only logs, opened exclusively, files read whole, dump files,
// folders and free space.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/file.h"

namespace plat {

file::~file()
{
    close();
}

bool file::open_append_exclusive(const char* path)
{
    close();
    // Append access without write access: every write goes to the end.
    HANDLE handle = CreateFileA(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    handle_ = handle;
    return true;
}

bool file::create_replace_exclusive(const char* path)
{
    close();
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    handle_ = handle;
    return true;
}

bool file::write(const void* data, std::size_t size)
{
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (WriteFile(handle_, next, static_cast<DWORD>(size), &written, nullptr) == FALSE)
            return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        next += written;
        size -= written;
    }
    return true;
}

bool file::open_existing_read_exclusive(const char* path)
{
    close();
    HANDLE handle = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    handle_ = handle;
    return true;
}

bool file::kind(file_kind& kind) const
{
    SetLastError(NO_ERROR);
    const DWORD type = GetFileType(handle_);
    if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR)
        return false;
    // A disk device opened by its path is also of type disk, but has no file
    // information of its own, or says it is a device.
    BY_HANDLE_FILE_INFORMATION info;
    const bool plain_file = type == FILE_TYPE_DISK && GetFileInformationByHandle(handle_, &info) != FALSE &&
                            (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    kind = plain_file ? file_kind::disk : file_kind::other;
    return true;
}

bool file::size(std::uint64_t& bytes) const
{
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle_, &info) == FALSE)
        return false;
    bytes = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

bool file::read(void* data, std::size_t size, std::size_t& count)
{
    count = 0;
    char* next = static_cast<char*>(data);
    while (count < size) {
        DWORD got = 0;
        if (ReadFile(handle_, next + count, static_cast<DWORD>(size - count), &got, nullptr) == FALSE)
            return false;
        if (got == 0)
            break;
        count += got;
    }
    return true;
}

bool file::is_open() const
{
    return handle_ != nullptr;
}

void file::close()
{
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

bool file::close_checked()
{
    if (handle_ == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    const BOOL closed = CloseHandle(handle_);
    handle_ = nullptr;
    return closed != FALSE;
}

bool full_path_name(const char* name, std::string& path)
{
    char buffer[max_full_path_chars];
    const DWORD length = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
    if (length == 0)
        return false;
    if (length >= sizeof buffer) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    path.assign(buffer, length);
    return true;
}

path_kind find_path(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return path_kind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? path_kind::folder : path_kind::file;
}

bool create_folder(const char* path)
{
    return CreateDirectoryA(path, nullptr) != FALSE;
}

bool volume_free_space(const char* folder, disk_space& space)
{
    // Absolute: a drive root ("D:\\") or a UNC path ("\\\\server\\share\\").
    const bool drive = ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z')) &&
                       folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
    const bool unc = folder[0] == '\\' && folder[1] == '\\';
    if (!drive && !unc) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    char root[MAX_PATH];
    if (GetVolumePathNameA(folder, root, sizeof root) == FALSE)
        return false;
    DWORD sectors_per_cluster = 0;
    DWORD bytes_per_sector = 0;
    DWORD free_clusters = 0;
    DWORD total_clusters = 0;
    if (GetDiskFreeSpaceA(root, &sectors_per_cluster, &bytes_per_sector, &free_clusters, &total_clusters) == FALSE)
        return false;
    space.sectors_per_cluster = sectors_per_cluster;
    space.bytes_per_sector = bytes_per_sector;
    space.free_clusters = free_clusters;
    return true;
}

} // namespace plat
