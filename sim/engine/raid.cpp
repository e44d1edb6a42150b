#include "raid.h"

#include <algorithm>

namespace sim {

namespace {

bool is_raid10(const logical_drive& ld)
{
    return ld.raid_level == 1 && data_member_count(ld) >= 4;
}

// The number of member failures after which a logical drive of this level
// can no longer serve its data.
bool lost_data(const adapter& a, const logical_drive& ld, std::size_t failed)
{
    if (ld.raid_level == 0) return failed > 0;
    if (ld.raid_level == 5) return failed > 1;
    if (!is_raid10(ld)) return failed >= data_member_count(ld);
    // RAID 10: mirrored pairs of consecutive data positions; one pair lost
    // entirely loses the data.
    std::size_t pair_failures = 0;
    std::size_t position = 0;
    for (const member& m : ld.members) {
        if (!carries_data(m)) continue;
        if (position % 2 == 0) pair_failures = 0;
        if (drive_failed(a, m.hdd)) ++pair_failures;
        if (pair_failures == 2) return true;
        ++position;
    }
    return false;
}

} // namespace

bool carries_data(const member& m)
{
    return m.role == ROLE_DATA || m.role == ROLE_SPARE_IN_USE;
}

bool drive_failed(const adapter& a, std::uint32_t hdd)
{
    if (hdd >= DRIVE_SLOTS) return true;
    const physical_drive& d = a.drives[hdd];
    return !d.present || (d.state >= DRIVE_ALARM_FIRST && d.state <= DRIVE_ALARM_LAST);
}

std::size_t data_member_count(const logical_drive& ld)
{
    return static_cast<std::size_t>(std::count_if(ld.members.begin(), ld.members.end(), carries_data));
}

std::uint8_t member_position(const logical_drive& ld, std::size_t index)
{
    const bool data = carries_data(ld.members[index]);
    std::uint8_t position = 0;
    for (std::size_t i = 0; i < index; ++i) {
        if (carries_data(ld.members[i]) == data) ++position;
    }
    return position;
}

std::uint8_t array_state(const adapter& a, const logical_drive& ld)
{
    std::size_t failed = 0;
    for (const member& m : ld.members) {
        if (carries_data(m) && drive_failed(a, m.hdd)) ++failed;
    }
    if (failed == 0) return LD_GOOD;
    return lost_data(a, ld, failed) ? LD_ALARM : LD_WARNING;
}

std::uint8_t logical_state(const adapter& a, int number)
{
    const logical_drive& ld = a.logicals[static_cast<std::size_t>(number)];
    if (!ld.defined) return NONE;
    const std::uint8_t state = array_state(a, ld);
    return state == LD_GOOD && ld.rebuild == 2 ? LD_REBUILDING : state;
}

std::uint32_t logical_size_mb(const adapter& a, const logical_drive& ld)
{
    const std::size_t count = data_member_count(ld);
    if (count == 0) return 0;
    std::uint32_t smallest = UINT32_MAX;
    for (const member& m : ld.members) {
        if (carries_data(m) && m.hdd < DRIVE_SLOTS) smallest = std::min(smallest, a.drives[m.hdd].size_mb);
    }
    if (smallest == UINT32_MAX) return 0;
    std::size_t carrying = count;
    if (ld.raid_level == 1) carrying = is_raid10(ld) ? count / 2 : 1;
    if (ld.raid_level == 5) carrying = count - 1;
    const std::uint64_t size = static_cast<std::uint64_t>(smallest) * carrying;
    return size > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(size);
}

assignment drive_assignment(const adapter& a, std::uint32_t hdd)
{
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        const logical_drive& ld = a.logicals[n];
        if (!ld.defined) continue;
        for (std::size_t i = 0; i < ld.members.size(); ++i) {
            if (ld.members[i].hdd == hdd) {
                return {static_cast<std::uint8_t>(n), ld.members[i].role, member_position(ld, i)};
            }
        }
    }
    return {};
}

std::uint8_t candidate_of(const adapter& a, std::uint32_t hdd)
{
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        const logical_drive& c = a.candidates[n];
        if (c.defined && std::any_of(c.members.begin(), c.members.end(), [hdd](const member& m) {
                return m.hdd == hdd;
            })) {
            return static_cast<std::uint8_t>(n);
        }
    }
    return NONE;
}

std::uint8_t drive_class(const adapter& a, std::uint32_t hdd)
{
    const bool failed = drive_failed(a, hdd);
    if (drive_assignment(a, hdd).logical != NONE) return failed ? CLASS_MEMBER_NO_USE : CLASS_MEMBER_USE;
    if (a.drives[hdd].global_spare != 0) return CLASS_SPARE_NO_USE;
    if (candidate_of(a, hdd) != NONE) return CLASS_RESTORE_CANDIDATE;
    return CLASS_FRESH;
}

std::string check_logical(const logical_drive& ld)
{
    if (ld.members.size() > DRIVE_SLOTS) return "more than 12 members";
    const std::size_t data = data_member_count(ld);
    if (ld.raid_level == 0 && data < 1) return "RAID 0 needs at least one data member";
    if (ld.raid_level == 1 && data != 2 && (data < 4 || data % 2 != 0)) {
        return "RAID 1 needs two data members, RAID 10 an even number of at least four";
    }
    if (ld.raid_level == 5 && data < 3) return "RAID 5 needs at least three data members";
    if (ld.raid_level == 0 && data == 1 && ld.stripe_blocks != 0) return "a one-drive RAID 0 has no stripe";
    if ((ld.raid_level != 0 || data != 1) && ld.stripe_blocks == 0) return "a stripe size is needed";
    for (std::size_t i = 0; i < ld.members.size(); ++i) {
        if (ld.members[i].hdd >= DRIVE_SLOTS) return "member drive numbers are 0-11";
        for (std::size_t j = 0; j < i; ++j) {
            if (ld.members[j].hdd == ld.members[i].hdd) {
                return "drive " + std::to_string(ld.members[i].hdd) + " is listed twice";
            }
        }
    }
    if (ld.progress > 100) return "progress is a percentage";
    if (ld.rebuild == 2 && ld.maintenance != 0) return "a rebuild and a check or parity making cannot run together";
    return {};
}

std::string check_adapter(const adapter& a)
{
    std::array<int, DRIVE_SLOTS> owner;
    owner.fill(-1);
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        if (!a.logicals[n].defined) continue;
        for (const member& m : a.logicals[n].members) {
            if (owner[m.hdd] >= 0) {
                return "drive " + std::to_string(m.hdd) + " is a member of logical drives " +
                       std::to_string(owner[m.hdd]) + " and " + std::to_string(n);
            }
            owner[m.hdd] = static_cast<int>(n);
        }
    }
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        if (!a.candidates[n].defined) continue;
        for (const member& m : a.candidates[n].members) {
            if (owner[m.hdd] >= 0 || a.drives[m.hdd].global_spare != 0) {
                return "drive " + std::to_string(m.hdd) + " of restore candidate " + std::to_string(n) +
                       " is in use";
            }
            owner[m.hdd] = static_cast<int>(LOGICAL_SLOTS + n);
        }
    }
    std::string letters;
    for (const logical_drive& ld : a.logicals) {
        if (!ld.defined) continue;
        for (char letter : ld.volumes) {
            if (letters.find(letter) != std::string::npos) return std::string(1, letter) + ": is on two logical drives";
            letters += letter;
        }
    }
    for (std::size_t d = 0; d < DRIVE_SLOTS; ++d) {
        if (a.drives[d].global_spare == 0) continue;
        if (!a.drives[d].present) return "global hot spare " + std::to_string(d) + " is not present";
        if (owner[d] >= 0) {
            return "global hot spare " + std::to_string(d) + " is a member of logical drive " +
                   std::to_string(owner[d]);
        }
    }
    return {};
}

} // namespace sim
