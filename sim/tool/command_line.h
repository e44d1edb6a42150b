// zansim's command-line helpers and the commands kept outside main.cpp.
#ifndef SIM_TOOL_COMMAND_LINE_H
#define SIM_TOOL_COMMAND_LINE_H

#include <cstdint>
#include <string>
#include <vector>

using args = std::vector<std::string>;

// A failure: the message on standard error, exit status 1.
int fail(const std::string& message);
// A command line that does not fit: exit status 2.
int misuse(const std::string& message);

// Decimal numbers up to `limit`; ports 0-255; drives 0-11.
bool read_number(const std::string& text, std::uint64_t limit, std::uint64_t& out);
bool read_port(const std::string& text, int& port);
bool read_drive(const std::string& text, std::uint32_t& hdd);

// The clock, background work, restore candidates, bad spots, firmware image
// files and restarts (background_commands.cpp).
int cmd_clock(const args& a);
int cmd_inconsistencies(const args& a);
int cmd_restore(const args& a);
int cmd_badspot(const args& a);
int cmd_image(const args& a);
int cmd_restart(const args& a);

// Stored dumps, firmware panics and free space (dump_commands.cpp).
int cmd_dump(const args& a);
int cmd_panic(const args& a);
int cmd_freespace(const args& a);
// The drives' SCSI side: identity, spindle, logs and chosen answers
// (drive_commands.cpp).
int cmd_drive(const args& a);

// The machine's Event Log (eventlog_command.cpp).
int cmd_eventlog(const args& a);

// Event-log entries the firmware writes (event_commands.cpp).
int cmd_event(const args& a);
int cmd_smart(const args& a);

// The service controller stand-in (service_command.cpp).
int cmd_service(const args& a);

// Disks, Raid Turbine logical drives and the desktop (disk_commands.cpp).
int cmd_disks(const args& a);
int cmd_disk(const args& a);
int cmd_turbine(const args& a);
int cmd_desktop(const args& a);

// Block patterns written into logical drives and verified (data_commands.cpp).
int cmd_data(const args& a);

#endif
