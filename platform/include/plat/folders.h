// Folders and the files in them, by path: whether a folder exists, creating
// one level, listing one, deleting a file, and writing a new file whose close
// is checked. Paths take backslashes and slashes alike on every build.
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

// CreateDirectory of one folder whose parent exists. False with last_error()
// set (ERR_ALREADY_EXISTS when something of that name is there).
[[nodiscard]] bool create_folder(const char* path);

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

// A file created anew for writing, not shared, replacing any file of that name.
class output_file {
public:
    output_file() = default;
    ~output_file();
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;

    // CreateFile with CREATE_ALWAYS. False with last_error() set.
    [[nodiscard]] bool create(const char* path);
    // Writes every byte. False with last_error() set.
    [[nodiscard]] bool write(const void* data, std::size_t size);
    // Closes the file; false with last_error() set when the close reports an
    // error (a delayed write failure). Nothing when not open.
    [[nodiscard]] bool close();
    bool is_open() const;

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
