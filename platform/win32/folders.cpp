// Folders and new files: thin Win32 calls.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/folders.h"

namespace plat {

bool folder_exists(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return true;
}

bool create_folder(const char* path)
{
    return CreateDirectoryA(path, nullptr) != FALSE;
}

bool list_folder(const char* path, std::vector<folder_entry>& entries)
{
    entries.clear();
    const std::string pattern = std::string(path) + "\\*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        folder_entry entry;
        entry.name = name;
        entry.is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.size = entry.is_folder ? 0 : (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        entries.push_back(entry);
    } while (FindNextFileA(search, &found) != FALSE);
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        SetLastError(error);
        return false;
    }
    return true;
}

bool delete_file(const char* path)
{
    return DeleteFileA(path) != FALSE;
}

bool file_size(const char* path, std::uint64_t& bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data) == FALSE) return false;
    bytes = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return true;
}

output_file::~output_file()
{
    (void)close();
}

bool output_file::create(const char* path)
{
    (void)close();
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    handle_ = handle;
    return true;
}

bool output_file::write(const void* data, std::size_t size)
{
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (WriteFile(handle_, next, static_cast<DWORD>(size), &written, nullptr) == FALSE) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        next += written;
        size -= written;
    }
    return true;
}

bool output_file::close()
{
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle == nullptr || CloseHandle(handle) != FALSE;
}

bool output_file::is_open() const
{
    return handle_ != nullptr;
}

} // namespace plat
