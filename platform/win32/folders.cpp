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

} // namespace plat
