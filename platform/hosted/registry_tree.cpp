// The registry hive as data and its .reg text form.
#include "registry_tree.h"

#include "ascii_case.h"
#include "plat/error.h"
#include "plat/registry.h"
#include "win_error.h"

#include <algorithm>
#include <cstdio>

namespace plat::hosted {

namespace {

constexpr std::string_view header_line = "Windows Registry Editor Version 5.00";
constexpr std::string_view hive_name = "HKEY_LOCAL_MACHINE";
constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";
// Hex data lines are wrapped past this column, as the registry editor does.
constexpr std::size_t hex_wrap_column = 76;

// What a Windows machine without Zan adapters has: an IDE port with its bus,
// and the top keys the programs open.
constexpr const char* base_keys[] = {
    "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0\\Scsi Bus 0\\Initiator Id 255",
    "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0\\Scsi Bus 0\\Target Id 0\\Logical Unit Id 0",
    "SOFTWARE",
    "SYSTEM\\CurrentControlSet\\Services",
};

struct base_text_value {
    const char* key;
    const char* name;
    const char* text;
};

constexpr base_text_value base_values[] = {
    {"HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0", "Driver", "atapi"},
    {"HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0\\Scsi Bus 0\\Target Id 0\\Logical Unit Id 0", "Type", "DiskPeripheral"},
};

bool is_control(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

std::string_view parent_of(std::string_view path)
{
    const std::size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut);
}

std::string_view leaf_of(std::string_view path)
{
    const std::size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view first_component(std::string_view path, std::string_view& rest)
{
    const std::size_t cut = path.find('\\');
    if (cut == std::string_view::npos) {
        rest = {};
        return path;
    }
    rest = path.substr(cut + 1);
    return path.substr(0, cut);
}

// Component by component, so that a key comes right before its own subtree.
bool path_less(std::string_view a, std::string_view b)
{
    while (!a.empty() && !b.empty()) {
        const std::string_view head_a = first_component(a, a);
        const std::string_view head_b = first_component(b, b);
        if (!equal_ignoring_case(head_a, head_b)) return less_ignoring_case(head_a, head_b);
    }
    return a.empty() && !b.empty();
}

bool is_below(std::string_view path, std::string_view ancestor)
{
    if (ancestor.empty()) return !path.empty();
    return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
           equal_ignoring_case(path.substr(0, ancestor.size()), ancestor);
}

// Lines of the text with trailing blanks and carriage returns removed.
class line_reader {
public:
    explicit line_reader(std::string_view text) : text_(text) {}

    bool next(std::string_view& line)
    {
        if (done_) return false;
        const std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            done_ = true;
        } else {
            line = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    bool done_ = false;
};

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parse_hex_number(std::string_view digits, std::size_t max_digits, std::uint32_t& value)
{
    if (digits.empty() || digits.size() > max_digits) return false;
    value = 0;
    for (char c : digits) {
        const int d = hex_digit(c);
        if (d < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

bool parse_hex_list(std::string_view list, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        std::uint32_t byte = 0;
        if (!parse_hex_number(item, 2, byte)) return false;
        bytes.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
        if (list.empty()) return false;
    }
    return true;
}

// A double-quoted string at `pos` with \\ and \" escapes; `pos` ends past the
// closing quote.
bool parse_quoted(std::string_view line, std::size_t& pos, std::string& out)
{
    out.clear();
    if (pos >= line.size() || line[pos] != '"') return false;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (++pos >= line.size() || (line[pos] != '\\' && line[pos] != '"')) return false;
        }
        out += line[pos];
    }
    return false;
}

bool parse_value_line(std::string_view line, reg_value& value)
{
    std::size_t pos = 0;
    if (!parse_quoted(line, pos, value.name)) return false;
    if (pos >= line.size() || line[pos] != '=') return false;
    std::string_view data = line.substr(pos + 1);
    if (data.starts_with('"')) {
        std::string text;
        std::size_t end = 0;
        if (!parse_quoted(data, end, text) || end != data.size()) return false;
        value.type = REG_TYPE_SZ;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return true;
    }
    if (data.starts_with("dword:")) {
        std::uint32_t number = 0;
        if (!parse_hex_number(data.substr(6), 8, number)) return false;
        value.type = REG_TYPE_DWORD;
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
        return true;
    }
    if (data.starts_with("hex:")) {
        value.type = REG_TYPE_BINARY;
        return parse_hex_list(data.substr(4), value.data);
    }
    if (data.starts_with("hex(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos || !parse_hex_number(data.substr(4, close - 4), 8, value.type)) {
            return false;
        }
        return parse_hex_list(data.substr(close + 2), value.data);
    }
    return false;
}

bool parse_section(std::string_view line, std::string& path)
{
    if (line.size() < 2 || line.back() != ']') return false;
    const std::string_view inner = line.substr(1, line.size() - 2);
    std::string_view rest;
    const std::string_view hive = first_component(inner, rest);
    if (!equal_ignoring_case(hive, hive_name)) return false;
    if (rest.empty() && inner.size() != hive.size()) return false;
    return normalize_key_path(rest, path) == ERR_SUCCESS;
}

void append_quoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

// A REG_SZ that the quoted form carries unchanged: one terminating zero and
// printable characters before it.
bool is_plain_text(const std::vector<std::uint8_t>& data)
{
    if (data.empty() || data.back() != 0) return false;
    return std::none_of(data.begin(), data.end() - 1,
                        [](std::uint8_t b) { return b == 0 || is_control(static_cast<char>(b)); });
}

void append_value(std::string& out, const reg_value& value)
{
    append_quoted(out, value.name);
    out += '=';
    if (value.type == REG_TYPE_SZ && is_plain_text(value.data)) {
        append_quoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    } else if (value.type == REG_TYPE_DWORD && value.data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x",
                      static_cast<unsigned>(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                            (static_cast<std::uint32_t>(value.data[3]) << 24)));
        out += text;
    } else {
        char prefix[16] = "hex:";
        if (value.type != REG_TYPE_BINARY)
            std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
        out += prefix;
        std::size_t line_start = out.rfind('\n') + 1;
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned>(value.data[i]));
            out += byte;
            if (i + 1 == value.data.size()) break;
            out += ',';
            if (out.size() - line_start >= hex_wrap_column) {
                out += "\\\n  ";
                line_start = out.size() - 2;
            }
        }
    }
    out += '\n';
}

} // namespace

std::uint32_t normalize_key_path(std::string_view path, std::string& normalized)
{
    normalized.clear();
    if (path.empty()) return ERR_SUCCESS;
    if (path.front() == '\\') return ERR_BAD_PATHNAME;
    if (path.back() == '\\') path.remove_suffix(1);
    if (path.empty() || path.find("\\\\") != std::string_view::npos) return ERR_BAD_PATHNAME;
    if (std::any_of(path.begin(), path.end(), is_control)) return ERR_INVALID_PARAMETER;
    normalized = path;
    return ERR_SUCCESS;
}

reg_tree empty_tree()
{
    reg_tree tree;
    tree.keys.push_back(reg_node{});
    return tree;
}

reg_tree base_tree()
{
    reg_tree tree = empty_tree();
    for (const char* key : base_keys)
        add_key(tree, key);
    for (const base_text_value& value : base_values) {
        const std::string_view text = value.text;
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        put_value(add_key(tree, value.key), value.name, REG_TYPE_SZ, data.data(), data.size());
    }
    return tree;
}

reg_node* find_key(reg_tree& tree, std::string_view path)
{
    const auto found = std::find_if(tree.keys.begin(), tree.keys.end(),
                                    [&](const reg_node& node) { return equal_ignoring_case(node.path, path); });
    return found == tree.keys.end() ? nullptr : &*found;
}

const reg_node* find_key(const reg_tree& tree, std::string_view path)
{
    return find_key(const_cast<reg_tree&>(tree), path);
}

reg_node& add_key(reg_tree& tree, std::string_view path)
{
    if (reg_node* existing = find_key(tree, path)) return *existing;
    if (!path.empty()) add_key(tree, parent_of(path));
    tree.keys.push_back(reg_node{std::string(path), {}});
    return tree.keys.back();
}

std::vector<std::string> subkey_names(const reg_tree& tree, std::string_view path)
{
    std::vector<std::string> names;
    for (const reg_node& node : tree.keys) {
        if (!node.path.empty() && equal_ignoring_case(parent_of(node.path), path))
            names.emplace_back(leaf_of(node.path));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return less_ignoring_case(a, b); });
    return names;
}

void remove_subtree(reg_tree& tree, std::string_view path, bool keep_key)
{
    std::erase_if(tree.keys, [&](const reg_node& node) {
        return is_below(node.path, path) || (!keep_key && !path.empty() && equal_ignoring_case(node.path, path));
    });
    if (keep_key) {
        if (reg_node* key = find_key(tree, path)) key->values.clear();
    }
}

reg_value* find_value(reg_node& key, std::string_view name)
{
    const auto found = std::find_if(key.values.begin(), key.values.end(),
                                    [&](const reg_value& value) { return equal_ignoring_case(value.name, name); });
    return found == key.values.end() ? nullptr : &*found;
}

const reg_value* find_value(const reg_node& key, std::string_view name)
{
    return find_value(const_cast<reg_node&>(key), name);
}

void put_value(reg_node& key, std::string_view name, std::uint32_t type, const std::uint8_t* data, std::size_t size)
{
    reg_value* value = find_value(key, name);
    if (value == nullptr) {
        key.values.push_back(reg_value{std::string(name), type, {}});
        value = &key.values.back();
    }
    value->type = type;
    value->data.assign(data, data + size);
}

bool parse_reg_text(std::string_view text, reg_tree& tree)
{
    tree = empty_tree();
    line_reader lines(text);
    std::string_view line;
    if (!lines.next(line)) return false;
    if (line.starts_with(utf8_bom)) line.remove_prefix(utf8_bom.size());
    if (line != header_line) return false;

    reg_node* section = nullptr;
    std::string path;
    while (lines.next(line)) {
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (!parse_section(line, path)) return false;
            section = &add_key(tree, path);
            continue;
        }
        if (line.front() != '"' || section == nullptr) return false;
        // Hex data may go on over lines that end in a backslash.
        std::string joined(line);
        while (joined.back() == '\\') {
            joined.pop_back();
            if (!lines.next(line)) return false;
            const std::size_t start = line.find_first_not_of(" \t");
            if (start == std::string_view::npos) return false;
            joined += line.substr(start);
        }
        reg_value value;
        if (!parse_value_line(joined, value)) return false;
        put_value(*section, value.name, value.type, value.data.data(), value.data.size());
    }
    return true;
}

std::string format_reg_text(const reg_tree& tree)
{
    std::vector<const reg_node*> order;
    for (const reg_node& node : tree.keys) {
        if (!node.path.empty() || !node.values.empty()) order.push_back(&node);
    }
    std::sort(order.begin(), order.end(),
              [](const reg_node* a, const reg_node* b) { return path_less(a->path, b->path); });

    std::string out(header_line);
    out += '\n';
    for (const reg_node* node : order) {
        out += "\n[";
        out += hive_name;
        if (!node->path.empty()) {
            out += '\\';
            out += node->path;
        }
        out += "]\n";
        for (const reg_value& value : node->values)
            append_value(out, value);
    }
    return out;
}

} // namespace plat::hosted
