#include "raid_level.h"

#include <algorithm>
#include <iterator>

namespace zan {

namespace {

// Level 1 over this many data drives or more is a spanned RAID 10.
inline constexpr int raid10_min_drives = 4;

} // namespace

int data_drive_count(const zan::LogicalDriveInfo& info)
{
    const int entries = std::min<int>(info.member_count, static_cast<int>(std::size(info.members)));
    return static_cast<int>(std::count_if(info.members, info.members + entries, [](const zan::MemberEntry& member) {
        return member.role == role_data || member.role == role_spare_in_use;
    }));
}

std::optional<int> shown_raid_level(const zan::LogicalDriveInfo& info)
{
    switch (info.raid_level) {
    case 0:
        return 0;
    case 1:
        return data_drive_count(info) < raid10_min_drives ? 1 : 10;
    case 5:
        return 5;
    default:
        return std::nullopt;
    }
}

} // namespace zan
