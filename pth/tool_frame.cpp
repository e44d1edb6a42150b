#include "tool_frame.h"

#include "tool_messages.h"
#include "tool_output.h"
#include "plat/error.h"

namespace pth {

namespace {

constexpr command_entry commands[] = {
    {"L", 2, 2, drive_logs, false},
    {"F", 3, 3, firmware_download, true},
    {"P", 3, 3, raw_command, true},
    {"E", 3, 3, media_errors, true},
    {"N", 3, 3, mode_page_setting, true},
    {"R", 3, 3, stripe_read_file, true},
    {"W", 3, 3, stripe_write_file, true},
    {"D", 6, 6, sector_save, true},
    {"r", 5, 5, stripe_read, true},
    {"w", 6, 6, stripe_write, true},
    {"ANY", 3, 3, any_command, true},
    {"PDOneSectorRead", 5, 5, pd_sector_read, true},
    {"PDPrintModePage", 7, 7, pd_print_mode_page, true},
    {"PDOneSectorWrite", 5, 5, pd_sector_write, true},
    {"PDHDDCapaChange", 5, 5, pd_capacity_change, true},
    {"LDOneSectorRead", 5, 5, ld_sector_read, true},
    {"LDOneSectorWrite", 5, 5, ld_sector_write, true},
};
static_assert(std::size(commands) == 17);

void print_usage()
{
    put(usage_text);
}

} // namespace

const char* const usage_text =
    "ZAN000-I The mistake is found in the parameter.\n"
    "------------------------------------------------------------------------\n"
    "ZanPth L\n"
    "ZanPth F <firmware filename>\n"
    "ZanPth P <parameter filename>\n"
    "ZanPth E <parameter filename>\n"
    "ZanPth N <parameter filename>\n"
    "ZanPth R <parameter filename>\n"
    "ZanPth W <parameter filename>\n"
    "ZanPth D <ControllerNo> <PhysicalDriveNo> <Address> <Save Filename>\n"
    "ZanPth r <ControllerNo> <LogicalDriveNo> <Address>\n"
    "ZanPth w <ControllerNo> <LogicalDriveNo> <Address> <DataHDD>\n"
    "ZanPth ANY <parameter filename>\n"
    "ZanPth PDOneSectorRead <ControllerNo> <PhysicalDriveNo> <Address>\n"
    "ZanPth PDPrintModePage <ControllerNo> <PhysicalDriveNo> <PageCode> <SubPageCode> <DataSize> \n"
    "ZanPth PDOneSectorWrite <ControllerNo> <PhysicalDriveNo> <Address>\n"
    "ZanPth PDHDDCapaChange <ControllerNo> <PhysicalDriveNo> <Capacity>\n"
    "ZanPth LDOneSectorRead <ControllerNo> <LogicalDriveNo> <Address>\n"
    "ZanPth LDOneSectorWrite <ControllerNo> <LogicalDriveNo> <Address>\n"
    "------------------------------------------------------------------------\n";

std::span<const command_entry> command_table()
{
    return commands;
}

const command_entry* find_command(std::string_view word, int argc)
{
    for (const command_entry& entry : commands) {
        if (word != entry.name)
            continue;
        // The first entry of that name decides; a wrong count ends the search.
        return argc >= entry.min_args && argc <= entry.max_args ? &entry : nullptr;
    }
    return nullptr;
}

int run(int argc, char** argv)
{
    plat::run_time_library library;
    if (!library.load("zandllpth.dll")) {
        putf(msg::library_load_fail, plat::system_message(plat::last_error()).c_str());
        abnormal_end();
        return 1;
    }
    const command_entry* entry = argc >= 2 ? find_command(argv[1], argc) : nullptr;
    if (entry == nullptr) {
        print_usage();
        return 1;
    }
    const pass_caller caller(library);
    entry->routine(caller, entry->takes_args ? argv + 1 : nullptr);
    if (!library.release()) {
        putf(msg::library_free_fail, plat::system_message(plat::last_error()).c_str());
        abnormal_end();
        return 1;
    }
    return 0;
}

} // namespace pth
