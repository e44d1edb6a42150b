// RAID rules of the simulated firmware: what a logical drive's state, size and
// member positions are, and which class a physical drive has, all derived from
// the model so that a change of one drive shows everywhere at once.
#ifndef SIM_ENGINE_RAID_H
#define SIM_ENGINE_RAID_H

#include <cstdint>
#include <string>

#include "model.h"

namespace sim {

inline constexpr std::uint8_t NONE = 0xFF;

// Where a physical drive is used: the logical drive (NONE when it is in none),
// its role there and its position (the number shown after D, S or GroupHS).
struct assignment {
    std::uint8_t logical = NONE;
    std::uint8_t role = ROLE_DATA;
    std::uint8_t position = 0;
};

// A drive counts as failed when it is missing or in an alarm state.
bool drive_failed(const adapter& a, std::uint32_t hdd);

// Members that carry data (data drives and spares in use), in order.
bool carries_data(const member& m);
std::size_t data_member_count(const logical_drive& ld);

// Position of member `index`: data drives and spares in use count from 0 in
// list order, group hot spares count from 0 among themselves.
std::uint8_t member_position(const logical_drive& ld, std::size_t index);

// State code of a logical drive's layout on the drives as they are: Good,
// Warning (failures the level survives) or Alarm. Used for restore
// candidates as for logical drives.
std::uint8_t array_state(const adapter& a, const logical_drive& ld);

// RaidStatus code of logical drive `number` (NONE when not defined): its
// array state, and LD_REBUILDING while a rebuild runs on intact data.
std::uint8_t logical_state(const adapter& a, int number);

// Usable size: the smallest data member times the data-carrying member count
// of the level (all for RAID 0, one for RAID 1, half for RAID 10, all but one
// for RAID 5).
std::uint32_t logical_size_mb(const adapter& a, const logical_drive& ld);

assignment drive_assignment(const adapter& a, std::uint32_t hdd);

// The restore candidate that lists drive `hdd` (NONE when none does).
std::uint8_t candidate_of(const adapter& a, std::uint32_t hdd);

// PhysicalDriveInfo class: members are Member Use (No Use when failed), a
// global hot spare waiting for a logical drive is Spare No Use (one that took
// over is a member), drives of a restore candidate Restore Candidate, other
// drives Fresh.
std::uint8_t drive_class(const adapter& a, std::uint32_t hdd);

// Rules one logical drive must satisfy on its own; empty when it does.
std::string check_logical(const logical_drive& ld);
// Rules across the drives of an adapter (no drive used twice by logical
// drives, spares and restore candidates, spares present, no volume letter
// twice); empty when they hold.
std::string check_adapter(const adapter& a);

} // namespace sim

#endif
