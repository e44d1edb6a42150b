// The registry below HKEY_LOCAL_MACHINE as data, and its text form: the
// "Windows Registry Editor Version 5.00" format that the hosted store keeps
// on disk so that people can read and edit it.
#ifndef PLAT_HOSTED_REGISTRY_TREE_H
#define PLAT_HOSTED_REGISTRY_TREE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::hosted {

struct reg_value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// One key: its full path below HKEY_LOCAL_MACHINE ("" for the hive itself)
// and its values in the order they were written.
struct reg_node {
    std::string path;
    std::vector<reg_value> values;
};

// Every key of the hive, the hive itself first. Key and value names compare
// without regard to case (ascii_case.h). The parent of every key is
// present too, so a key's subkeys are the keys whose parent path is its path.
struct reg_tree {
    std::vector<reg_node> keys;
};

// Checks a key path given by a caller and returns it in canonical form
// (components separated by one backslash, a trailing backslash dropped).
// ERR_BAD_PATHNAME for an empty component, ERR_INVALID_PARAMETER for a control
// character; ERR_SUCCESS otherwise.
[[nodiscard]] std::uint32_t normalize_key_path(std::string_view path, std::string& normalized);

reg_tree empty_tree();
// The keys of a Windows machine without Zan adapters.
reg_tree base_tree();

reg_node* find_key(reg_tree& tree, std::string_view path);
const reg_node* find_key(const reg_tree& tree, std::string_view path);
// Finds a key, creating it and its missing parents; `path` is canonical.
reg_node& add_key(reg_tree& tree, std::string_view path);
// Names of the direct subkeys of a key, in enumeration order.
std::vector<std::string> subkey_names(const reg_tree& tree, std::string_view path);
// Removes every key below `path`, and the key itself unless `keep_key` (then
// its values are cleared instead).
void remove_subtree(reg_tree& tree, std::string_view path, bool keep_key);

reg_value* find_value(reg_node& key, std::string_view name);
const reg_value* find_value(const reg_node& key, std::string_view name);
void put_value(reg_node& key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
               std::size_t size);

// Parses the text form. False for anything it does not understand.
[[nodiscard]] bool parse_reg_text(std::string_view text, reg_tree& tree);
std::string format_reg_text(const reg_tree& tree);

} // namespace plat::hosted

#endif
