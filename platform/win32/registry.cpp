// Registry access below HKEY_LOCAL_MACHINE.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <utility>
#include <vector>

#include "plat/error.h"
#include "plat/registry.h"

namespace plat {
namespace {

// The longest value name the registry allows, plus its terminating zero.
constexpr DWORD max_value_name = 16384;

HKEY as_hkey(void* handle)
{
    return static_cast<HKEY>(handle);
}

// Deletes `subkey` of `parent` with everything below it. Works on systems
// whose registry API has no tree deletion of its own.
LONG delete_key_tree(HKEY parent, const char* subkey)
{
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    char child[256];
    for (;;) {
        // Always the first child: deleting it renumbers the rest.
        DWORD child_size = sizeof child;
        rc = RegEnumKeyExA(key, 0, child, &child_size, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS)
            break;
        rc = delete_key_tree(key, child);
        if (rc != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    if (rc != ERROR_NO_MORE_ITEMS)
        return rc;
    return RegDeleteKeyA(parent, subkey);
}

} // namespace

reg_key::~reg_key()
{
    close();
}

reg_key::reg_key(reg_key&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

reg_key& reg_key::operator=(reg_key&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

std::uint32_t reg_key::open(const std::string& path, reg_access access)
{
    close();
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                  access == reg_access::read ? KEY_READ : KEY_ALL_ACCESS, &key);
    if (rc == ERROR_SUCCESS)
        handle_ = key;
    return static_cast<std::uint32_t>(rc);
}

std::uint32_t reg_key::create(const std::string& path)
{
    close();
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &key, &disposition);
    if (rc == ERROR_SUCCESS)
        handle_ = key;
    return static_cast<std::uint32_t>(rc);
}

std::uint32_t reg_key::enum_subkey(std::uint32_t index, char* name, std::uint32_t capacity) const
{
    // A key's class is not used, but some registry providers fail the call
    // without a place to put it.
    char key_class[MAX_PATH];
    DWORD class_size = sizeof key_class;
    DWORD name_size = capacity;
    FILETIME written;
    return static_cast<std::uint32_t>(
        RegEnumKeyExA(as_hkey(handle_), index, name, &name_size, nullptr, key_class, &class_size, &written));
}

std::uint32_t reg_key::enum_value(std::uint32_t index, std::string& name) const
{
    std::vector<char> buffer(max_value_name);
    DWORD size = max_value_name;
    const LONG rc = RegEnumValueA(as_hkey(handle_), index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS)
        name.assign(buffer.data(), size);
    return static_cast<std::uint32_t>(rc);
}

std::uint32_t reg_key::query_value(const std::string& name, std::uint32_t& type, void* data,
                                   std::uint32_t& size) const
{
    DWORD value_type = 0;
    DWORD value_size = size;
    const LONG rc = RegQueryValueExA(as_hkey(handle_), name.c_str(), nullptr, &value_type,
                                     static_cast<BYTE*>(data), &value_size);
    type = value_type;
    size = value_size;
    return static_cast<std::uint32_t>(rc);
}

std::uint32_t reg_key::set_value(const std::string& name, std::uint32_t type, const void* data, std::uint32_t size)
{
    return static_cast<std::uint32_t>(
        RegSetValueExA(as_hkey(handle_), name.c_str(), 0, type, static_cast<const BYTE*>(data), size));
}

std::uint32_t reg_key::delete_value(const std::string& name)
{
    return static_cast<std::uint32_t>(RegDeleteValueA(as_hkey(handle_), name.c_str()));
}

std::uint32_t reg_key::delete_tree(const std::string& subkey)
{
    // An empty name would mean the open key itself; only named subtrees go.
    if (subkey.empty())
        return ERR_INVALID_PARAMETER;
    return static_cast<std::uint32_t>(delete_key_tree(as_hkey(handle_), subkey.c_str()));
}

bool reg_key::is_open() const
{
    return handle_ != nullptr;
}

void reg_key::close()
{
    if (handle_ != nullptr) {
        RegCloseKey(as_hkey(handle_));
        handle_ = nullptr;
    }
}

} // namespace plat
