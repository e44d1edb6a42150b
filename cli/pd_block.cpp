#include "pd_block.h"

#include <algorithm>
#include <iterator>

#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "raid_level.h"
#include "record_text.h"
#include "value_names.h"

namespace cli {

namespace {

// Drive classes whose assignment text is not a plain "-".
inline constexpr std::uint8_t class_member_use = 0;
inline constexpr std::uint8_t class_restore_candidate = 5;

} // namespace

std::string member_assignment(int ld_number, const zan::LogicalDriveInfo& ld, int hdd)
{
    std::string text = std::to_string(ld_number);
    const int entries = std::min<int>(ld.member_count, static_cast<int>(std::size(ld.members)));
    for (int i = 0; i < entries; ++i) {
        const zan::MemberEntry& member = ld.members[i];
        if (member.hdd != hdd) continue;
        if (member.role == zan::role_data) {
            text += "-D" + std::to_string(member.position);
        } else if (member.role == zan::role_spare_in_use) {
            text += "-S" + std::to_string(member.position);
        } else if (member.role == zan::role_group_hot_spare) {
            text += "-GroupHS";
        }
    }
    if (text.size() > max_assignment_chars) text.resize(max_assignment_chars);
    return text;
}

bool is_member_in_use(const zan::PhysicalDriveInfo& drive)
{
    return drive.drive_class == class_member_use;
}

std::string drive_assignment(const zan::PhysicalDriveInfo& drive, int hdd, const zan::LogicalDriveInfo* members)
{
    if (is_member_in_use(drive)) return member_assignment(drive.group, *members, hdd);
    if (drive.drive_class == class_restore_candidate) return "RLD";
    return "-";
}

outcome format_pd_block(frame& context, pd_block_form form, int adapter, int hdd, const zan::PhysicalDriveInfo& drive,
                        std::uint8_t state, std::string_view assignment, std::string& block)
{
    std::string_view drive_class, state_name, link, smart, bad_spots;
    const outcome named = name_values(context, adapter,
                                      {{kind_pd_class, drive.drive_class, &drive_class},
                                       {kind_pd_state, state, &state_name},
                                       {kind_link_speed, drive.link, &link},
                                       {kind_smart, drive.smart, &smart},
                                       {kind_bad_spot_state, drive.bad_spot_state, &bad_spots}});
    if (named != outcome::go_on) return named;

    const char* heading = form == pd_block_form::physical_disk ? msg::pd_block_physical_disk : msg::pd_block_information;
    block = format(heading, hdd) + "\n" +
            format(msg::pd_block_body, record_text(drive.vendor).c_str(), record_text(drive.product).c_str(),
                   record_text(drive.revision).c_str(), std::string(assignment).c_str(),
                   std::string(drive_class).c_str(), static_cast<int>(drive.size_mb.get()),
                   std::string(state_name).c_str(), std::string(link).c_str(), std::string(smart).c_str(),
                   std::string(bad_spots).c_str(), static_cast<int>(drive.bad_spot_count.get()),
                   record_text(drive.inquiry_text).c_str());
    return outcome::go_on;
}

outcome say_pd_block(frame& context, pd_block_form form, int adapter, int hdd, const zan::PhysicalDriveInfo& drive,
                     std::uint8_t state, std::string_view assignment)
{
    std::string block;
    const outcome formatted = format_pd_block(context, form, adapter, hdd, drive, state, assignment, block);
    if (formatted == outcome::go_on) say(block);
    return formatted;
}

outcome show_pd_block(frame& context, pd_block_form form, int adapter, int hdd, std::uint8_t state)
{
    zan::PhysicalDriveInfo drive;
    if (!call_library(adapter, getPhysicalDriveInfo, adapter, hdd, &drive)) return outcome::stop;

    zan::LogicalDriveInfo ld;
    if (is_member_in_use(drive) && !call_library(adapter, getLogicalDriveInfo, adapter, drive.group, &ld))
        return outcome::stop;
    return say_pd_block(context, form, adapter, hdd, drive, state, drive_assignment(drive, hdd, &ld));
}

} // namespace cli
