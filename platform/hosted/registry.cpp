// Registry keys of the hosted build: every call reads (or updates) the
// persistent store, so that all processes see one registry.
#include "plat/registry.h"

#include "ascii_case.h"
#include "plat/error.h"
#include "registry_store.h"
#include "win_error.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace plat {

namespace {

struct open_key {
    std::string path;
    reg_access access;
};

const open_key* key_of(void* handle)
{
    return static_cast<const open_key*>(handle);
}

bool valid_value_name(const std::string& name)
{
    return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// Runs a read of the key's node; a key removed since it was opened answers
// ERR_KEY_DELETED, as Windows does.
template <typename Read>
std::uint32_t read_key(const open_key* key, Read read)
{
    if (key == nullptr) return ERR_INVALID_HANDLE;
    std::shared_ptr<const hosted::reg_tree> tree;
    if (const std::uint32_t code = hosted::load_registry(tree); code != ERR_SUCCESS) return code;
    const hosted::reg_node* node = hosted::find_key(*tree, key->path);
    if (node == nullptr) return hosted::ERR_KEY_DELETED;
    return read(*tree, *node);
}

template <typename Change>
std::uint32_t change_key(const open_key* key, Change change)
{
    if (key == nullptr) return ERR_INVALID_HANDLE;
    if (key->access != reg_access::all) return ERR_ACCESS_DENIED;
    return hosted::update_registry([&](hosted::reg_tree& tree) {
        hosted::reg_node* node = hosted::find_key(tree, key->path);
        if (node == nullptr) return hosted::ERR_KEY_DELETED;
        return change(tree, *node);
    });
}

} // namespace

reg_key::~reg_key()
{
    close();
}

reg_key::reg_key(reg_key&& other) noexcept : handle_(other.handle_)
{
    other.handle_ = nullptr;
}

reg_key& reg_key::operator=(reg_key&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

std::uint32_t reg_key::open(const std::string& path, reg_access access)
{
    close();
    std::string normalized;
    if (const std::uint32_t code = hosted::normalize_key_path(path, normalized); code != ERR_SUCCESS) return code;
    std::shared_ptr<const hosted::reg_tree> tree;
    if (const std::uint32_t code = hosted::load_registry(tree); code != ERR_SUCCESS) return code;
    if (hosted::find_key(*tree, normalized) == nullptr) return ERR_FILE_NOT_FOUND;
    handle_ = new (std::nothrow) open_key{std::move(normalized), access};
    return handle_ == nullptr ? ERR_NOT_ENOUGH_MEMORY : ERR_SUCCESS;
}

std::uint32_t reg_key::create(const std::string& path)
{
    close();
    std::string normalized;
    if (const std::uint32_t code = hosted::normalize_key_path(path, normalized); code != ERR_SUCCESS) return code;
    const std::uint32_t code = hosted::update_registry([&](hosted::reg_tree& tree) {
        hosted::add_key(tree, normalized);
        return ERR_SUCCESS;
    });
    if (code != ERR_SUCCESS) return code;
    handle_ = new (std::nothrow) open_key{std::move(normalized), reg_access::all};
    return handle_ == nullptr ? ERR_NOT_ENOUGH_MEMORY : ERR_SUCCESS;
}

std::uint32_t reg_key::enum_subkey(std::uint32_t index, char* name, std::uint32_t capacity) const
{
    if (name == nullptr) return ERR_INVALID_PARAMETER;
    return read_key(key_of(handle_), [&](const hosted::reg_tree& tree, const hosted::reg_node& node) {
        const std::vector<std::string> names = hosted::subkey_names(tree, node.path);
        if (index >= names.size()) return ERR_NO_MORE_ITEMS;
        const std::string& found = names[index];
        if (found.size() + 1 > capacity) return ERR_MORE_DATA;
        std::memcpy(name, found.c_str(), found.size() + 1);
        return ERR_SUCCESS;
    });
}

std::uint32_t reg_key::enum_value(std::uint32_t index, std::string& name) const
{
    return read_key(key_of(handle_), [&](const hosted::reg_tree&, const hosted::reg_node& node) {
        if (index >= node.values.size()) return ERR_NO_MORE_ITEMS;
        name = node.values[index].name;
        return ERR_SUCCESS;
    });
}

std::uint32_t reg_key::query_value(const std::string& name, std::uint32_t& type, void* data, std::uint32_t& size) const
{
    return read_key(key_of(handle_), [&](const hosted::reg_tree&, const hosted::reg_node& node) {
        const hosted::reg_value* value = hosted::find_value(node, name);
        if (value == nullptr) return ERR_FILE_NOT_FOUND;
        const auto needed = static_cast<std::uint32_t>(value->data.size());
        const std::uint32_t capacity = size;
        type = value->type;
        size = needed;
        // Without a buffer the call only reports type and size.
        if (data == nullptr) return ERR_SUCCESS;
        if (needed > capacity) return ERR_MORE_DATA;
        std::copy(value->data.begin(), value->data.end(), static_cast<std::uint8_t*>(data));
        return ERR_SUCCESS;
    });
}

std::uint32_t reg_key::set_value(const std::string& name, std::uint32_t type, const void* data, std::uint32_t size)
{
    if ((data == nullptr && size != 0) || !valid_value_name(name)) return ERR_INVALID_PARAMETER;
    return change_key(key_of(handle_), [&](hosted::reg_tree&, hosted::reg_node& node) {
        hosted::put_value(node, name, type, static_cast<const std::uint8_t*>(data), size);
        return ERR_SUCCESS;
    });
}

std::uint32_t reg_key::delete_value(const std::string& name)
{
    return change_key(key_of(handle_), [&](hosted::reg_tree&, hosted::reg_node& node) {
        const auto before = node.values.size();
        std::erase_if(node.values,
                      [&](const hosted::reg_value& value) { return hosted::equal_ignoring_case(value.name, name); });
        return node.values.size() == before ? ERR_FILE_NOT_FOUND : ERR_SUCCESS;
    });
}

std::uint32_t reg_key::delete_tree(const std::string& subkey)
{
    std::string relative;
    if (const std::uint32_t code = hosted::normalize_key_path(subkey, relative); code != ERR_SUCCESS) return code;
    return change_key(key_of(handle_), [&](hosted::reg_tree& tree, hosted::reg_node& node) {
        // An empty subkey empties the key itself: its values and subkeys go,
        // the key stays. (The path is copied: removal moves the nodes.)
        const std::string path = node.path;
        if (relative.empty()) {
            hosted::remove_subtree(tree, path, true);
            return ERR_SUCCESS;
        }
        const std::string target = path.empty() ? relative : path + "\\" + relative;
        if (hosted::find_key(tree, target) == nullptr) return ERR_FILE_NOT_FOUND;
        hosted::remove_subtree(tree, target, false);
        return ERR_SUCCESS;
    });
}

bool reg_key::is_open() const
{
    return handle_ != nullptr;
}

void reg_key::close()
{
    delete static_cast<open_key*>(handle_);
    handle_ = nullptr;
}

} // namespace plat
