// The seventeen commands of zanpth. Each receives the arguments after the
// program name (the command word first) and reports its own failures; the
// frame ignores what a command achieved.
#ifndef PTH_TOOL_COMMANDS_H
#define PTH_TOOL_COMMANDS_H

#include "pass_call.h"

namespace pth {

using command_args = char* const*;

void drive_logs(const pass_caller& caller, command_args args);          // L
void firmware_download(const pass_caller& caller, command_args args);   // F
void raw_command(const pass_caller& caller, command_args args);         // P
void media_errors(const pass_caller& caller, command_args args);        // E
void mode_page_setting(const pass_caller& caller, command_args args);   // N
void stripe_read_file(const pass_caller& caller, command_args args);    // R
void stripe_write_file(const pass_caller& caller, command_args args);   // W
void sector_save(const pass_caller& caller, command_args args);         // D
void stripe_read(const pass_caller& caller, command_args args);         // r
void stripe_write(const pass_caller& caller, command_args args);        // w
void any_command(const pass_caller& caller, command_args args);         // ANY
void pd_sector_read(const pass_caller& caller, command_args args);      // PDOneSectorRead
void pd_print_mode_page(const pass_caller& caller, command_args args);  // PDPrintModePage
void pd_sector_write(const pass_caller& caller, command_args args);     // PDOneSectorWrite
void pd_capacity_change(const pass_caller& caller, command_args args);  // PDHDDCapaChange
void ld_sector_read(const pass_caller& caller, command_args args);      // LDOneSectorRead
void ld_sector_write(const pass_caller& caller, command_args args);     // LDOneSectorWrite

} // namespace pth

#endif
