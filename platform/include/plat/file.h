// Files: the append-only logs the programs write, files read whole
// (firmware images), dump files written anew, folders and the free space of
// a volume.
#ifndef PLAT_FILE_H
#define PLAT_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// What an open file is: a file on a disk, or anything else a path can open
// (a pipe, a character device, a console).
enum class file_kind { disk, other };

class file {
public:
    file() = default;
    ~file();
    file(const file&) = delete;
    file& operator=(const file&) = delete;

    // Creates or opens a file that every write appends to, not shared with
    // other openers. False with last_error() set.
    [[nodiscard]] bool open_append_exclusive(const char* path);
    // Creates a file for reading and writing, not shared with other openers,
    // replacing (emptying) any file of that name. False with last_error() set.
    [[nodiscard]] bool create_replace_exclusive(const char* path);
    [[nodiscard]] bool write(const void* data, std::size_t size);

    // Opens an existing file for reading, not shared with other openers.
    // False with last_error() set (ERR_FILE_NOT_FOUND when there is none).
    // Opening a pipe that has no writer does not wait for one.
    [[nodiscard]] bool open_existing_read_exclusive(const char* path);
    // The kind of the open file.
    [[nodiscard]] bool kind(file_kind& kind) const;
    // The size of the open file in bytes.
    [[nodiscard]] bool size(std::uint64_t& bytes) const;
    // Reads up to `size` bytes from the current position; `count` is the
    // number read, 0 at the end of the file.
    [[nodiscard]] bool read(void* data, std::size_t size, std::size_t& count);
    bool is_open() const;
    void close();
    // Closes the file and says whether the close itself succeeded (a write
    // the system delayed can fail here); false with last_error() set.
    [[nodiscard]] bool close_checked();

private:
    void* handle_ = nullptr;
};

// Longest full path, terminating zero included (MAX_PATH).
inline constexpr std::size_t max_full_path_chars = 260;

// GetFullPathName: the file name made absolute against the current folder,
// "." and ".." resolved; the file need not exist. False with last_error()
// set when the name is empty or the result is max_full_path_chars or longer.
[[nodiscard]] bool full_path_name(const char* name, std::string& path);

// What a path names (GetFileAttributes).
enum class path_kind { missing, file, folder };
path_kind find_path(const char* path);

// CreateDirectory: one folder, whose parent must exist. False with
// last_error() set: ERR_ALREADY_EXISTS when something of that name exists,
// ERR_PATH_NOT_FOUND when the parent is missing.
[[nodiscard]] bool create_folder(const char* path);

// GetDiskFreeSpace: the free space of a volume in its own units. The
// product is taken in 64 bits: a volume with more than 4 GiB free does not
// wrap around.
struct disk_space {
    std::uint32_t sectors_per_cluster = 0;
    std::uint32_t bytes_per_sector = 0;
    std::uint32_t free_clusters = 0;
    std::uint64_t free_bytes() const
    {
        return std::uint64_t{sectors_per_cluster} * bytes_per_sector * free_clusters;
    }
};

// The free space of the volume that holds `folder`: a volume root ("D:\\")
// or any absolute folder path on it (the folder need not exist). A relative
// path fails with ERROR_BAD_PATHNAME (161); otherwise false with last_error()
// set.
[[nodiscard]] bool volume_free_space(const char* folder, disk_space& space);

} // namespace plat

#endif
