#include "output_folder.h"

#include <cstring>
#include <vector>

#include "plat/error.h"
#include "plat/file.h"
#include "plat/registry.h"
#include "report.h"

namespace zanlog {

namespace {

constexpr char LIMIT_KEY[] = "SOFTWARE\\Meridan\\ZanUtility\\ZanLog\\Parameters\\Log";
constexpr char LIMIT_VALUE[] = "MaxAreaSizeForClog";
constexpr std::uint32_t DEFAULT_LIMIT_MIB = 4;
constexpr std::uint32_t LARGEST_LIMIT_MIB = 1024;
constexpr std::uint64_t MIB = 1048576;

constexpr std::uint32_t ERR_DISK_FULL = 112;

constexpr std::size_t TRACE_NAME_CHARS = 29;
constexpr std::size_t STAMP_CHARS = 14;
constexpr char LATEST_STAMP[] = "99991231235959";

std::optional<std::uint32_t> read_limit_value()
{
    plat::reg_key key;
    if (key.open(LIMIT_KEY, plat::reg_access::read) != plat::ERR_SUCCESS) return std::nullopt;
    std::uint32_t type = 0;
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    if (key.query_value(LIMIT_VALUE, type, data, size) != plat::ERR_SUCCESS || type != plat::REG_TYPE_DWORD ||
        size != sizeof data) {
        return std::nullopt;
    }
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

struct folder_walk {
    std::uint64_t total = 0;
    std::optional<std::string> candidate; // name of the oldest trace log directly in the folder
};

// Adds up the sizes of every file below `folder`.
bool add_sizes(const std::string& folder, std::uint64_t& total)
{
    std::vector<plat::folder_entry> entries;
    if (!plat::list_folder(folder.c_str(), entries)) return false;
    for (const plat::folder_entry& entry : entries) {
        total += entry.size;
        if (entry.is_folder && !add_sizes(folder + "/" + entry.name, total)) return false;
    }
    return true;
}

bool walk_output_folder(const std::string& folder, folder_walk& walk)
{
    std::vector<plat::folder_entry> entries;
    if (!plat::list_folder(folder.c_str(), entries)) return false;
    if (const auto oldest = oldest_trace_file(entries)) walk.candidate = entries[*oldest].name;
    return add_sizes(folder, walk.total);
}

// Applies the limit to the folder; false ends the run.
bool apply_size_limit(const std::string& folder, const std::string& output_path)
{
    const std::uint32_t limit = size_limit_mib(read_limit_value());
    if (limit == 0) return true;
    folder_walk walk;
    if (!walk_output_folder(folder, walk)) return report_error(plat::last_error(), shown::general);
    if (walk.total <= limit * MIB) return true;
    if (!walk.candidate) {
        // Nothing of ours to delete: the run ends unreported, with "disk
        // full" as its exit code.
        plat::set_last_error(ERR_DISK_FULL);
        return false;
    }
    if (!plat::delete_file((output_path + *walk.candidate).c_str())) {
        return report_error(plat::last_error(), shown::general);
    }
    return true;
}

} // namespace

char path_separator(std::string_view full_path)
{
    for (std::size_t at = 0; at < full_path.size(); ++at) {
        const char c = full_path[at];
        if ((c == '\\' || c == '/') && (at + 1 >= full_path.size() || full_path[at + 1] != ' ')) return c;
    }
    return '/';
}

bool is_trace_file_name(std::string_view name)
{
    return name.size() == TRACE_NAME_CHARS && name.substr(STAMP_CHARS, 5) == "_ZAN_" &&
           name.substr(20) == "_FWTrcLog";
}

std::optional<std::size_t> oldest_trace_file(std::span<const plat::folder_entry> entries)
{
    std::optional<std::size_t> oldest;
    std::string_view lowest = LATEST_STAMP;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view name = entries[i].name;
        if (entries[i].is_folder || !is_trace_file_name(name)) continue;
        if (name.substr(0, STAMP_CHARS) < lowest) {
            lowest = name.substr(0, STAMP_CHARS);
            oldest = i;
        }
    }
    return oldest;
}

std::uint32_t size_limit_mib(std::optional<std::uint32_t> value)
{
    if (!value || *value > LARGEST_LIMIT_MIB) return DEFAULT_LIMIT_MIB;
    return *value;
}

bool prepare_output_folder(const char* folder, bool automatic, std::string& output_path)
{
    std::string full_path;
    if (!plat::full_path_name(folder, full_path)) return report_error(plat::last_error(), shown::general);
    output_path = full_path + path_separator(full_path);
    if (!plat::folder_exists(full_path.c_str())) {
        if (!automatic) return report_error(plat::last_error(), shown::general);
        if (!plat::create_folder(full_path.c_str())) {
            const std::uint32_t error = plat::last_error();
            if (!plat::folder_exists(full_path.c_str())) return report_error(error, shown::general);
        }
    }
    return !automatic || apply_size_limit(full_path, output_path);
}

} // namespace zanlog
