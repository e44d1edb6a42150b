// Files: the append-only logs the programs write.
#ifndef PLAT_FILE_H
#define PLAT_FILE_H

#include <cstddef>
#include <cstdint>

namespace plat {

class file {
public:
    file() = default;
    ~file();
    file(const file&) = delete;
    file& operator=(const file&) = delete;

    // Creates or opens a file for reading and writing, not shared with other
    // openers, writes going through to the disk. False with last_error() set.
    [[nodiscard]] bool open_always_exclusive(const char* path);
    [[nodiscard]] bool seek_end();
    [[nodiscard]] bool write(const void* data, std::size_t size);
    bool is_open() const;
    void close();

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
