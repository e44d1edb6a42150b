#include "log_run.h"

#include <cstdio>

#include "adapter_logs.h"
#include "adapter_scan.h"
#include "command_line.h"
#include "drive_logs.h"
#include "dump_copy.h"
#include "library_check.h"
#include "output_folder.h"
#include "plat/error.h"
#include "plat/folders.h"
#include "report.h"

namespace zanlog {

namespace {

// Analyses the command line and checks its numbers with the library.
bool analyse(int count, const char* const* arguments, command_line& line)
{
    line = parse_command_line(count, arguments);
    run_context& run = current_run();
    run.automatic = line.automatic;
    run.type = line.type;
    run.controller = line.controller;
    if (line.end == parse_end::not_supported) return report_error(ERROR_NOT_SUPPORTED, shown::as_such);
    if (line.end != parse_end::parsed) return report_error(ERROR_BAD_PARAMETER, shown::as_such);
    return check_with_library(line.controller, line.type->drive_follows, line.drive);
}

bool collect(adapter_table& adapters, const command_line& line, const std::string& file_path)
{
    const log_kind kind = line.type->kind;
    switch (kind) {
    case log_kind::raid:
    case log_kind::nvram:
    case log_kind::firmware_trace: {
        // The library counts the adapters that answer it; a controller it
        // knows but this scan did not take has no port here.
        if (line.controller >= adapters.count) return report_error(ERROR_NO_CONTROLLER, shown::as_such);
        adapter_port& adapter = adapters.entries[static_cast<std::size_t>(line.controller)];
        return collect_adapter_log(adapter.port, adapter_log_region(kind, adapter.driver_kind), file_path);
    }
    case log_kind::firmware_dump: return copy_firmware_dump(line.controller, file_path);
    default: return collect_drive_log(kind, line.controller, line.drive, file_path);
    }
}

// A failed collection leaves no empty file behind.
void remove_if_empty(const std::string& file_path)
{
    const std::uint32_t error = plat::last_error();
    std::uint64_t size = 0;
    if (plat::file_size(file_path.c_str(), size) && size == 0) (void)plat::delete_file(file_path.c_str());
    plat::set_last_error(error);
}

} // namespace

std::string log_file_name(const plat::local_time& now, int controller, const char* suffix, const int* drive)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d_ZAN_%d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second, controller);
    std::string name = std::string(stamp) + suffix;
    if (drive != nullptr) name += std::to_string(*drive);
    return name;
}

int run(int count, const char* const* arguments)
{
    adapter_table adapters;
    command_line line;
    std::string output_path;
    if (!scan_adapters(adapters) || !analyse(count, arguments, line) ||
        !prepare_output_folder(line.folder, line.automatic, output_path)) {
        return static_cast<int>(plat::last_error());
    }
    const std::string file_path = output_path + log_file_name(plat::now_local(), line.controller, line.type->suffix,
                                                              line.type->drive_follows ? &line.drive : nullptr);
    if (collect(adapters, line, file_path)) {
        report_success();
    } else {
        remove_if_empty(file_path);
    }
    return static_cast<int>(plat::last_error());
}

} // namespace zanlog
