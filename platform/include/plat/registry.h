// Registry access below HKEY_LOCAL_MACHINE.
//
// Every call returns a Windows error code (ERR_SUCCESS on success), as the
// registry functions of Windows do; they do not touch last_error().
#ifndef PLAT_REGISTRY_H
#define PLAT_REGISTRY_H

#include <cstdint>
#include <string>

namespace plat {

inline constexpr std::uint32_t REG_TYPE_SZ = 1;
inline constexpr std::uint32_t REG_TYPE_BINARY = 3;
inline constexpr std::uint32_t REG_TYPE_DWORD = 4;

enum class reg_access { read, all };

class reg_key {
public:
    reg_key() = default;
    ~reg_key();
    reg_key(const reg_key&) = delete;
    reg_key& operator=(const reg_key&) = delete;
    reg_key(reg_key&& other) noexcept;
    reg_key& operator=(reg_key&& other) noexcept;

    // Opens an existing key, path relative to HKEY_LOCAL_MACHINE with
    // backslashes ("HARDWARE\\DEVICEMAP\\Scsi"). ERR_FILE_NOT_FOUND if absent.
    [[nodiscard]] std::uint32_t open(const std::string& path, reg_access access);
    // Opens a key with all access, creating it and its missing parents.
    [[nodiscard]] std::uint32_t create(const std::string& path);

    // Name of subkey number `index` into `name` (capacity counts the
    // terminating zero). ERR_NO_MORE_ITEMS past the last subkey,
    // ERR_MORE_DATA when the name does not fit.
    [[nodiscard]] std::uint32_t enum_subkey(std::uint32_t index, char* name, std::uint32_t capacity) const;
    // Name of value number `index`; ERR_NO_MORE_ITEMS past the last value.
    [[nodiscard]] std::uint32_t enum_value(std::uint32_t index, std::string& name) const;

    // Reads a value. On entry `size` is the capacity of `data`, on return the
    // value's size; ERR_MORE_DATA when it does not fit, ERR_FILE_NOT_FOUND when
    // the value does not exist. REG_SZ data includes its terminating zero.
    [[nodiscard]] std::uint32_t query_value(const std::string& name, std::uint32_t& type, void* data,
                                            std::uint32_t& size) const;
    [[nodiscard]] std::uint32_t set_value(const std::string& name, std::uint32_t type, const void* data,
                                          std::uint32_t size);
    // Removes a value or a whole subkey tree.
    [[nodiscard]] std::uint32_t delete_value(const std::string& name);
    [[nodiscard]] std::uint32_t delete_tree(const std::string& subkey);

    bool is_open() const;
    void close();

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
