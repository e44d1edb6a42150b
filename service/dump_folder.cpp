#include "dump_folder.h"

#include <cstdio>

#include "plat/error.h"
#include "plat/registry.h"
#include "reporter.h"
#include "zanbytes.h"

namespace zan {

namespace {

constexpr char SERVICE_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice";
constexpr char DUMP_DIR_VALUE[] = "DumpDir";

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

// DumpDir with a backslash appended, or the reports of why it can't be had.
bool read_dump_dir(std::uint8_t adapter, std::string& dump_dir)
{
    plat::reg_key key;
    const char* step = "Open";
    std::uint32_t rc = key.open(SERVICE_KEY, plat::reg_access::read);
    if (rc == plat::ERR_SUCCESS) {
        step = "Query";
        char value[DUMP_DIR_CHARS + 1] = {};
        std::uint32_t type = 0;
        std::uint32_t size = sizeof value;
        rc = key.query_value(DUMP_DIR_VALUE, type, value, size);
        // Only a string names a folder; an empty one names none.
        if (rc == plat::ERR_SUCCESS && (type != plat::REG_TYPE_SZ || size == 0 || value[0] == '\0')) {
            rc = plat::ERR_INVALID_DATA;
        }
        if (rc == plat::ERR_SUCCESS) {
            dump_dir.assign(value, std::min<std::size_t>(size, DUMP_DIR_CHARS));
            dump_dir.resize(dump_dir.find('\0') == std::string::npos ? dump_dir.size() : dump_dir.find('\0'));
            dump_dir += '\\';
            return true;
        }
    }
    const std::string strings[] = {std::string(step) + " zanservice", system_text(rc)};
    report_event(REGISTRY_FAILED, strings, {}, adapter);
    report_dump_not_created(adapter);
    return false;
}

bool check_free_space(std::uint8_t adapter, const std::string& dump_dir, std::uint64_t required)
{
    plat::disk_space space;
    if (!plat::volume_free_space(dump_volume_root(dump_dir).c_str(), space)) {
        report_dump_not_created(adapter, plat::last_error());
        return false;
    }
    if (space.free_bytes() < required) {
        report_dump_not_created(adapter);
        return false;
    }
    return true;
}

// Creates `folder` unless it exists as a folder already.
bool make_folder(std::uint8_t adapter, const std::string& folder)
{
    if (plat::create_folder(folder.c_str())) return true;
    const std::uint32_t error = plat::last_error();
    if (plat::find_path(folder.c_str()) == plat::path_kind::folder) return true;
    report_dump_not_created(adapter, error);
    return false;
}

bool create_dump_dir(std::uint8_t adapter, const std::string& dump_dir)
{
    if (plat::find_path(dump_dir.c_str()) == plat::path_kind::folder) return true;
    const std::vector<std::string> steps = dump_folder_steps(dump_dir);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::printf("dtmp=%s\n", steps[i].c_str());
        std::fflush(stdout);
        if (i + 1 < steps.size()) {
            static_cast<void>(plat::create_folder(steps[i].c_str())); // an existing parent is fine
        } else if (!make_folder(adapter, steps[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string dump_volume_root(const std::string& dump_dir)
{
    const std::size_t drive = dump_dir.find(":\\");
    return drive == std::string::npos ? dump_dir : dump_dir.substr(0, drive + 2);
}

std::vector<std::string> dump_folder_steps(const std::string& dump_dir)
{
    std::vector<std::string> steps;
    for (std::size_t i = 0; i < dump_dir.size(); ++i) {
        if (!is_separator(dump_dir[i]) || (i > 0 && is_separator(dump_dir[i - 1]))) continue;
        if (i > 0) steps.push_back(dump_dir.substr(0, i));
    }
    if (!dump_dir.empty() && !is_separator(dump_dir.back())) steps.push_back(dump_dir);
    return steps;
}

void report_dump_not_created(std::uint8_t adapter, std::span<const std::uint8_t> data)
{
    const std::string strings[] = {std::to_string(adapter)};
    report_event(DUMP_NOT_CREATED, strings, data, adapter);
}

void report_dump_not_created(std::uint8_t adapter, std::uint32_t os_error)
{
    std::uint8_t code[4];
    store_le32(code, os_error);
    report_dump_not_created(adapter, code);
}

bool open_dump_file(std::uint8_t adapter, std::uint64_t required, plat::file& out)
{
    std::string folder;
    if (!read_dump_dir(adapter, folder) || !check_free_space(adapter, folder, required) ||
        !create_dump_dir(adapter, folder)) {
        return false;
    }
    folder += "CONTno" + std::to_string(adapter) + "\\";
    if (!make_folder(adapter, folder)) return false;
    const std::string first = folder + "dump0";
    const std::string path = plat::find_path(first.c_str()) == plat::path_kind::missing ? first : folder + "dump";
    if (!out.create_replace_exclusive(path.c_str())) {
        report_dump_not_created(adapter, plat::last_error());
        return false;
    }
    return true;
}

} // namespace zan
