// The physical-drive block: the report of one drive that -PDInfo, -PDList,
// -LDPDInfo and the restore report print.
#ifndef CLI_PD_BLOCK_H
#define CLI_PD_BLOCK_H

#include <cstdint>
#include <string>
#include <string_view>

#include "frame.h"
#include "zandllctl.h"

namespace cli {

// The first line of the block: "Physical Disk: N" (-PDInfo, -PDList) or
// "PD: N Information" (-LDPDInfo, restore report).
enum class pd_block_form { physical_disk, pd_information };

// Longest assignment text.
inline constexpr std::size_t max_assignment_chars = 10;

// Assignment text of a member drive: the logical-drive number, then for each
// member entry of `ld` naming drive `hdd` its role: "-D" and the position for
// a data drive, "-S" and the position for a spare in use, "-GroupHS" for a
// group hot spare. Cut to max_assignment_chars.
[[nodiscard]] std::string member_assignment(int ld_number, const zan::LogicalDriveInfo& ld, int hdd);

// Whether a drive's assignment text comes from the member entries of a
// logical drive (a member in use).
[[nodiscard]] bool is_member_in_use(const zan::PhysicalDriveInfo& drive);

// The assignment text of a drive: for a member in use from the member entries
// of `members` (required then) under the drive's group number, "RLD" for a
// restore candidate, "-" for any other drive.
[[nodiscard]] std::string drive_assignment(const zan::PhysicalDriveInfo& drive, int hdd,
                                           const zan::LogicalDriveInfo* members);

// The block text (ending in "\n") from the drive's record, its state byte
// from RaidStatus and its assignment text. A class, state, link, SMART or
// bad-spot value missing from its value-name table ends the run.
outcome format_pd_block(frame& context, pd_block_form form, int adapter, int hdd, const zan::PhysicalDriveInfo& drive,
                        std::uint8_t state, std::string_view assignment, std::string& block);

// Formats the block and prints it.
outcome say_pd_block(frame& context, pd_block_form form, int adapter, int hdd, const zan::PhysicalDriveInfo& drive,
                     std::uint8_t state, std::string_view assignment);

// Reads the drive's PhysicalDriveInfo (and, for a member, the LogicalDriveInfo
// of its logical drive) and prints its block. `stop`, with the library error
// reported for the adapter, when a read fails.
outcome show_pd_block(frame& context, pd_block_form form, int adapter, int hdd, std::uint8_t state);

} // namespace cli

#endif
