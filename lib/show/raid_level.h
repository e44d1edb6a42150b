// The RAID level a logical drive is shown as, from its record alone, so that
// every program that shows logical drives names the level the same way.
#ifndef ZAN_RAID_LEVEL_H
#define ZAN_RAID_LEVEL_H

#include <cstdint>
#include <optional>

#include "zandllctl.h"

namespace zan {

// Roles of a member entry.
inline constexpr std::uint8_t role_data = 0;
inline constexpr std::uint8_t role_group_hot_spare = 2;
inline constexpr std::uint8_t role_spare_in_use = 3;

// The member entries that carry data: data drives and spares in use. A group
// hot spare waits outside the array until a member fails. Only the entries
// the record holds count, whatever its member count says.
[[nodiscard]] int data_drive_count(const zan::LogicalDriveInfo& info);

// The RAID level as shown: 0, 1, 5, or 10 for level 1 over four data drives
// or more. Nothing for a level the tool cannot show.
[[nodiscard]] std::optional<int> shown_raid_level(const zan::LogicalDriveInfo& info);

} // namespace zan

#endif
