// Files: the append-only logs the programs write, and files read whole
// (firmware images).
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

private:
    void* handle_ = nullptr;
};

// Longest full path, terminating zero included (MAX_PATH).
inline constexpr std::size_t max_full_path_chars = 260;

// GetFullPathName: the file name made absolute against the current folder,
// "." and ".." resolved; the file need not exist. False with last_error()
// set when the name is empty or the result is max_full_path_chars or longer.
[[nodiscard]] bool full_path_name(const char* name, std::string& path);

} // namespace plat

#endif
