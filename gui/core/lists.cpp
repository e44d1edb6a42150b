#include "lists.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include <plat/device.h>
#include <plat/volumes.h>

#include "state_text.h"

namespace gui {

namespace {

inline constexpr int address_attempts = 4;
inline constexpr int letter_count = 26;
inline constexpr std::uint8_t role_spare = 2;
inline constexpr std::uint8_t no_group = 0xFF;

bool defined(std::uint8_t code)
{
    return code != zan::ABSENT;
}

int member_entries(const zan::LogicalDriveInfo& info)
{
    return std::min<int>(info.member_count, static_cast<int>(std::size(info.members)));
}

bool lists_drive(const zan::LogicalDriveInfo& info, int hdd)
{
    const int entries = member_entries(info);
    return std::any_of(info.members, info.members + entries,
                       [hdd](const zan::MemberEntry& m) { return m.hdd == hdd; });
}

// The volume's SCSI address, asked up to four times; nothing when the volume
// cannot be opened or never answers.
std::optional<plat::scsi_address> volume_address(char letter)
{
    const std::string path = std::string("\\\\.\\") + letter + ':';
    plat::device volume;
    if (!volume.open(path.c_str())) return std::nullopt;
    for (int attempt = 0; attempt < address_attempts; ++attempt) {
        plat::scsi_address address{};
        std::uint32_t returned = 0;
        if (volume.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned))
            return address;
    }
    return std::nullopt;
}

// The restorable logical drive (0-11) whose member list names `hdd`.
std::optional<int> restorable_holding(session& s, int hdd, bool& failed)
{
    zan::RestoreStatus restore{};
    if (!getRestoreLDsts(s.current, &restore)) {
        report_access_error(s, "HDDListUpdate-getRestoreLDsts");
        failed = true;
        return std::nullopt;
    }
    for (int number = 0; number < zan::MAX_GROUPS; ++number) {
        if (!defined(restore.candidate_state[number])) continue;
        zan::LogicalDriveInfo info{};
        if (!getRestoreLDInfo(s.current, number, &info)) {
            report_access_error(s, "HDDListUpdate-getRestoreLDInfo");
            failed = true;
            return std::nullopt;
        }
        if (lists_drive(info, hdd)) return number;
    }
    return std::nullopt;
}

std::string numbered(const char* prefix, int number)
{
    return prefix + std::to_string(number);
}

} // namespace

// ---- Marks -----------------------------------------------------------------

void drive_marks::clear()
{
    marks.fill(drive_mark::none);
    members.clear();
    add_spare_count = 0;
    spare_count = 0;
    capacity_mb = 0;
    sub_groups = 1;
}

drive_mark drive_marks::at(int hdd) const
{
    return hdd >= 0 && hdd < max_slots ? marks[static_cast<std::size_t>(hdd)] : drive_mark::none;
}

bool drive_marks::any() const
{
    return std::any_of(marks.begin(), marks.end(), [](drive_mark m) { return m != drive_mark::none; });
}

std::uint8_t next_free_ld(const zan::RaidStatus& status)
{
    std::uint8_t number = 0;
    while (number < zan::MAX_GROUPS && defined(status.ld_state[number])) ++number;
    return number;
}

// ---- Logical drives ------------------------------------------------------------

std::string drive_letters_of(std::uint8_t port, int ld)
{
    std::string letters;
    const std::uint32_t mask = plat::logical_drive_mask();
    for (int index = 0; index < letter_count; ++index) {
        if (!(mask & (1u << index))) continue;
        const char letter = static_cast<char>('A' + index);
        const std::string root = std::string(1, letter) + ":\\";
        if (plat::drive_type(root.c_str()) != plat::DRIVE_TYPE_FIXED) continue;
        const std::optional<plat::scsi_address> address = volume_address(letter);
        if (!address || address->port_number != port || address->target_id != ld) continue;
        if (!letters.empty()) letters += ',';
        letters += letter;
        letters += ':';
    }
    return letters.substr(0, drive_letters_limit);
}

void fill_ld_list(session& s, std::vector<row>& rows)
{
    rows.clear();
    controller_view& view = s.controller();
    for (int ld = 0; ld < zan::MAX_GROUPS; ++ld) {
        const std::uint8_t code = view.status.ld_state[ld];
        if (!defined(code)) continue;
        zan::LogicalDriveInfo info{};
        if (!getLogicalDriveInfo(s.current, ld, &info)) {
            report_access_error(s, "LDListUpdate-getLogicalDriveInfo");
            return;
        }
        view.drive_letters[static_cast<std::size_t>(ld)] = drive_letters_of(view.info.port_number, ld);
        const state_category category = categorize(code, [&] { return members_good_without_local_spare(s, ld); });
        rows.push_back({numbered("LD", ld), category_text(category), ld_capacity_text(info.size_mb.get()),
                        raid_level_text(info), view.drive_letters[static_cast<std::size_t>(ld)]});
    }
}

std::optional<int> ld_of_row(const zan::RaidStatus& status, int index)
{
    if (index < 0) return std::nullopt;
    for (int ld = 0; ld < zan::MAX_GROUPS; ++ld) {
        if (!defined(status.ld_state[ld])) continue;
        if (index-- == 0) return ld;
    }
    return std::nullopt;
}

bool members_good_without_local_spare(session& s, int ld)
{
    const char* function = "isMemberStsGoodWithOutLHSP";
    if (!refresh_status(s, function)) return false;
    zan::LogicalDriveInfo info{};
    if (!getLogicalDriveInfo(s.current, ld, &info)) {
        report_access_error(s, context_of(function, "getLogicalDriveInfo"));
        return false;
    }
    const controller_view& view = s.controller();
    for (int hdd = 0; hdd < view.slots; ++hdd) {
        const std::uint8_t state = view.status.hdd_state[hdd];
        if (state == hdd_absent) continue;
        zan::PhysicalDriveInfo drive{};
        if (!getPhysicalDriveInfo(s.current, hdd, &drive)) {
            report_access_error(s, context_of(function, "getPhysicalDriveInfo"));
            return false;
        }
        if (drive.group != ld || info.hot_spare_mode != spare_local) continue;
        const int entries = member_entries(info);
        for (int entry = 0; entry < entries; ++entry) {
            const zan::MemberEntry& member = info.members[entry];
            if (member.hdd == hdd && member.role != role_spare && state != 0) return false;
        }
    }
    return true;
}

// ---- Physical drives --------------------------------------------------------------

int sub_group_index(const zan::LogicalDriveInfo& info, int hdd)
{
    int members = info.member_count;
    if (info.hot_spare_mode == spare_local) --members;
    const int groups = info.sub_group_count == 0 ? 1 : info.sub_group_count;
    const int size = std::max(1, members / groups);
    int index = 0;
    const int entries = member_entries(info);
    for (int position = 0; position < entries; ++position) {
        if (position != 0 && position % size == 0) ++index;
        if (info.members[position].hdd == hdd) return index;
    }
    return index;
}

row hdd_row(const hdd_facts& f)
{
    const std::uint8_t group = f.info.group;
    const std::uint8_t use = f.info.drive_class;
    const bool present = hdd_present(f.state);
    std::string ld;
    if (!present) {
        ld = group == no_group ? "-" : numbered("LD", group);
    } else if (use == use_member) {
        ld = numbered("LD", group);
        if (f.sub_group) {
            ld += '-';
            ld.append(std::to_string(*f.sub_group));
        }
    } else if (use == use_spare_in_use) {
        ld = "SP";
    } else if (use == use_free_spare) {
        ld = f.mark == drive_mark::release_spare ? "Free *" : "SP";
    } else if (use == use_restorable) {
        ld = f.restorable ? numbered("RLD", *f.restorable) : "RLD";
    } else if (use > use_restorable) {
        ld = "-";
    } else if (f.mark == drive_mark::add_spare) {
        ld = "SP *";
    } else if (f.mark == drive_mark::new_member) {
        ld = numbered("LD", f.next_free) + " *";
    } else {
        ld = "Free";
    }
    std::string state;
    if (!present) {
        state = group == no_group ? "-" : "FAILED";
    } else {
        state = (f.state & hdd_failed_bit) ? "FAILED" : "GOOD";
    }
    const std::string capacity = !present && group == no_group ? "-" : gb_text(f.info.size_mb.get());
    return {numbered("HDD", f.hdd), ld, state, capacity};
}

bool fill_hdd_list(session& s, drive_marks& marks, std::vector<row>& rows)
{
    rows.clear();
    marks.spare_count = 0;
    const controller_view& view = s.controller();
    // Each logical drive is read once per fill, for its level.
    std::array<std::optional<zan::LogicalDriveInfo>, zan::MAX_GROUPS> groups;
    for (int hdd = 0; hdd < view.slots; ++hdd) {
        hdd_facts facts;
        facts.hdd = hdd;
        facts.state = view.status.hdd_state[hdd];
        facts.mark = marks.at(hdd);
        facts.next_free = marks.next_free;
        if (!getPhysicalDriveInfo(s.current, hdd, &facts.info)) {
            // An empty slot has no record to read: it shows as no drive.
            if (facts.state != hdd_absent) {
                report_access_error(s, "HDDListUpdate-getPhysicalDriveInfo");
                return false;
            }
            facts.info.group = no_group;
        }
        const std::uint8_t use = facts.info.drive_class;
        if (hdd_present(facts.state)) {
            if (is_spare(use)) ++marks.spare_count;
            if (use == use_member && facts.info.group < zan::MAX_GROUPS) {
                std::optional<zan::LogicalDriveInfo>& info = groups[facts.info.group];
                if (!info) {
                    info.emplace();
                    if (!getLogicalDriveInfo(s.current, facts.info.group, &*info)) {
                        report_access_error(s, "HDDListUpdate-getLogicalDriveInfo");
                        return false;
                    }
                }
                if (info->raid_level == level_raid50) facts.sub_group = sub_group_index(*info, hdd);
            } else if (use == use_restorable) {
                bool failed = false;
                facts.restorable = restorable_holding(s, hdd, failed);
                if (failed) return false;
            }
        }
        rows.push_back(hdd_row(facts));
    }
    return true;
}

// ---- Global spares ------------------------------------------------------------------

void fill_spare_list(session& s, std::vector<row>& rows)
{
    rows.clear();
    const controller_view& view = s.controller();
    for (int hdd = 0; hdd < view.slots; ++hdd) {
        const std::uint8_t state = view.status.hdd_state[hdd];
        if (state == hdd_absent) continue;
        zan::PhysicalDriveInfo info{};
        if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
            report_access_error(s, "GHSListUpdate-getPhysicalDriveInfo");
            return;
        }
        if (!is_spare(info.drive_class)) continue;
        rows.push_back({numbered("HDD", hdd), (state & hdd_failed_bit) ? "FAILED" : "GOOD",
                        info.drive_class == use_spare_in_use ? "Used" : "Free"});
    }
}

// ---- Restorable logical drives ----------------------------------------------------------

void fill_restore_list(session& s, std::vector<row>& rows)
{
    rows.clear();
    const char* function = "LDRestoreListUpdate";
    zan::RestoreStatus restore{};
    if (!getRestoreLDsts(s.current, &restore)) {
        report_access_error(s, context_of(function, "getRestoreLDsts"));
        return;
    }
    if (!refresh_status(s, function)) return;
    const zan::RaidStatus& status = s.controller().status;
    for (int number = 0; number < zan::MAX_GROUPS; ++number) {
        const std::uint8_t code = restore.candidate_state[number];
        if (!defined(code)) continue;
        zan::LogicalDriveInfo info{};
        if (!getRestoreLDInfo(s.current, number, &info)) {
            report_access_error(s, context_of(function, "getRestoreLDInfo"));
            return;
        }
        const int entries = member_entries(info);
        const zan::MemberEntry* first = info.members;
        const zan::MemberEntry* last = info.members + entries;
        const auto members_good = [&] {
            return std::none_of(first, last, [&](const zan::MemberEntry& m) {
                return m.hdd < zan::MAX_HDDS && status.hdd_state[m.hdd] != 0;
            });
        };
        const bool short_of_drives =
            std::any_of(first, last, [](const zan::MemberEntry& m) { return m.hdd == zan::ABSENT; });
        rows.push_back({numbered("RLD", number), category_text(categorize(code, members_good)),
                        ld_capacity_text(info.size_mb.get()), raid_level_text(info),
                        short_of_drives ? "HDD short" : ""});
    }
}

std::optional<int> restorable_of_row(const std::vector<row>& rows, int index)
{
    if (index < 0 || index >= static_cast<int>(rows.size())) return std::nullopt;
    const std::string& name = rows[static_cast<std::size_t>(index)][0];
    if (name.size() <= 3) return std::nullopt;
    return std::atoi(name.c_str() + 3);
}

// ---- Background tasks ----------------------------------------------------------------------

row task_row(int ld, const char* category, const zan::LogicalDriveInfo& info, bool check_available)
{
    enum : std::uint8_t { rebuild_needed = 1, rebuild_executing = 2, check_running = 1, parity_running = 2 };
    const std::string errors = std::to_string(info.operation_error_count.get());
    const std::string progress = std::to_string(info.progress);
    if (info.rebuild_state == rebuild_needed)
        return {numbered("LD", ld), category, info.auto_rebuild != 0 ? "Rebuild" : "-", "-", errors};
    if (info.rebuild_state == rebuild_executing)
        return {numbered("LD", ld), category, "Rebuild", "Rebuilding  " + progress + "%", "0"};
    if (info.maintenance_state == check_running)
        return {numbered("LD", ld), category, "Check Consistency", "Checking consistency  " + progress + "%", errors};
    if (info.maintenance_state == parity_running)
        return {numbered("LD", ld), category, "Check Consistency", "Making parity  " + progress + "%", errors};
    return {numbered("LD", ld), category, check_available ? "Check Consistency" : "-", "-", errors};
}

bool fill_task_list(session& s, std::vector<row>& rows)
{
    rows.clear();
    bool stopped = false;
    const zan::RaidStatus status = s.controller().status;
    for (int ld = 0; ld < zan::MAX_GROUPS; ++ld) {
        const std::uint8_t code = status.ld_state[ld];
        if (!defined(code)) continue;
        zan::LogicalDriveInfo info{};
        if (!getLogicalDriveInfo(s.current, ld, &info)) {
            report_access_error(s, "LDRecoverListUpdate-getLogicalDriveInfo");
            return false;
        }
        bool members_good = false;
        bool members_asked = false;
        const auto good = [&] {
            if (!members_asked) members_good = members_good_without_local_spare(s, ld);
            members_asked = true;
            return members_good;
        };
        const char* category = category_text(categorize(code, good));
        const bool check_available =
            info.raid_level != 0 && (code == 0 || code == 4 || code == 6 || (code == 19 && good()));
        rows.push_back(task_row(ld, category, info, check_available));

        if (info.maintenance_state != 0 && info.operation_error_count.get() > auto_stop_errors) {
            const bool check = info.maintenance_state == 1;
            const bool done = check ? stop_consistencyCheck(s.current, ld) : stop_makeParity(s.current, ld);
            if (!done) {
                report_error(s, "Page5Proc-stop_consistencyCheck", texts::auto_stop_failed, texts::page_names[5]);
            }
            stopped = true;
        }
    }
    if (stopped) report_error(s, "Page5Proc-stop_flg == 1", texts::auto_stopped, texts::page_names[5]);
    return stopped;
}

} // namespace gui
