// Folders and the files in them, by path: whether a folder exists, listing
// one, deleting a file and the size of one (creating a folder and writing a
// file: plat/file.h). Paths take backslashes and slashes alike on every build.
#ifndef PLAT_FOLDERS_H
#define PLAT_FOLDERS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

inline constexpr std::uint32_t ERR_DIRECTORY = 267; // the name is not a folder

// Whether `path` names an existing folder (GetFileAttributes). When not,
// last_error() says why: ERR_DIRECTORY when it names something else.
[[nodiscard]] bool folder_exists(const char* path);

struct folder_entry {
    std::string name;
    bool is_folder = false;
    std::uint64_t size = 0; // bytes of a file; 0 for a folder
};

// The entries of a folder, "." and ".." left out, in the order the system
// lists them. False with last_error() set.
[[nodiscard]] bool list_folder(const char* path, std::vector<folder_entry>& entries);

// DeleteFile. False with last_error() set.
[[nodiscard]] bool delete_file(const char* path);

// The size of the file at `path`. False with last_error() set.
[[nodiscard]] bool file_size(const char* path, std::uint64_t& bytes);

} // namespace plat

#endif
