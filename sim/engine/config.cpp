// Configuration requests: creating logical drives, their cache and rebuild
// switches, the adapter's priorities, global hot spares, forced drive states
// and the prevent limits; starting and stopping background work. Each checks
// its record the way the firmware does and changes nothing when it refuses.
#include <algorithm>
#include <array>

#include "answers.h"
#include "event_log.h"
#include "operations.h"
#include "raid.h"
#include "tasks.h"
#include "zanioctl.h"

namespace sim {

namespace {

bool is_switch(std::uint8_t value)
{
    return value <= 1;
}

bool is_priority(std::uint16_t value)
{
    return value >= 1 && value <= 3;
}

constexpr std::uint32_t STRIPE_SIZES[] = {0, 128, 256, 512, 1024};

// Why a drive cannot join a new logical drive, or GOOD when it can.
std::uint16_t member_refusal(const adapter& a, std::uint32_t hdd)
{
    const physical_drive& d = a.drives[hdd];
    if (!d.present) return zan::IOC_STATUS_HDDS_NOT_EXIST;
    if (d.global_spare != 0 || drive_assignment(a, hdd).logical != NONE || candidate_of(a, hdd) != NONE) {
        return zan::IOC_STATUS_HDD_IS_USED;
    }
    if (drive_failed(a, hdd) || d.state == DRIVE_UNSUPPORTED) return zan::IOC_STATUS_HDD_IS_NOT_GOOD;
    return zan::IOC_STATUS_GOOD;
}

// CREATE_LOGICAL_DISK record.
constexpr std::size_t CREATE_GROUP = 1;
constexpr std::size_t CREATE_GROUP_AGAIN = 2;
constexpr std::size_t CREATE_COUNT = 3;
constexpr std::size_t CREATE_MEMBERS = 4;
constexpr std::size_t CREATE_HOT_SPARE = 16;
constexpr std::size_t CREATE_LEVEL = 17;
constexpr std::size_t CREATE_STRIPE = 20;
constexpr std::size_t CREATE_NO_READ_AHEAD = 24;
constexpr std::size_t CREATE_WRITE_THROUGH = 25;
constexpr std::size_t CREATE_SUB_GROUP = 26;

} // namespace

std::uint16_t create_logical_disk(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    const std::uint8_t number = record[CREATE_GROUP];
    const std::uint8_t count = record[CREATE_COUNT];
    const std::uint8_t level = record[CREATE_LEVEL];
    const std::uint32_t stripe = zan::load_le32(record.data() + CREATE_STRIPE);
    if (number >= LOGICAL_SLOTS || record[CREATE_GROUP_AGAIN] != number || count == 0 || count > DRIVE_SLOTS ||
        (level != 0 && level != 1 && level != 5) || record[CREATE_HOT_SPARE] > 2 ||
        !is_switch(record[CREATE_NO_READ_AHEAD]) || !is_switch(record[CREATE_WRITE_THROUGH]) ||
        !is_switch(record[CREATE_SUB_GROUP]) || std::find(std::begin(STRIPE_SIZES), std::end(STRIPE_SIZES), stripe) ==
                                                    std::end(STRIPE_SIZES)) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    logical_drive ld;
    ld.defined = true;
    ld.raid_level = level;
    for (std::size_t i = 0; i < count; ++i) ld.members.push_back({record[CREATE_MEMBERS + i], ROLE_DATA});
    ld.stripe_blocks = stripe;
    ld.read_cache = record[CREATE_NO_READ_AHEAD];
    ld.write_cache = record[CREATE_WRITE_THROUGH];
    ld.hot_spare_mode = record[CREATE_HOT_SPARE];
    // Member counts per level, stripe rules, numbers and repeats.
    if (!check_logical(ld).empty()) return zan::IOC_STATUS_INVALID_PARAM;
    if (a.logicals[number].defined) return zan::IOC_STATUS_FAILURE;
    for (const member& m : ld.members) {
        if (const std::uint16_t refusal = member_refusal(a, m.hdd); refusal != zan::IOC_STATUS_GOOD) return refusal;
    }
    a.logicals[number] = std::move(ld);
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t config_logical_disk(adapter& a, std::span<std::uint8_t> record)
{
    const std::uint8_t first = record[1];
    const std::uint8_t last = record[2];
    const std::uint8_t read_flag = record[3];
    const std::uint8_t write_flag = record[4];
    const std::uint8_t rebuild_flag = record[5];
    if (!addressed_here(a, record) || first > last || last >= LOGICAL_SLOTS || !is_switch(read_flag) ||
        !is_switch(write_flag) || !is_switch(rebuild_flag)) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    for (std::size_t n = first; n <= last; ++n) {
        if (!a.logicals[n].defined) return zan::IOC_STATUS_FAILURE;
    }
    for (std::size_t n = first; n <= last; ++n) {
        a.logicals[n].read_cache = read_flag;
        a.logicals[n].write_cache = write_flag;
        a.logicals[n].auto_rebuild = rebuild_flag;
    }
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t config_controller(adapter& a, std::span<std::uint8_t> record)
{
    const std::uint16_t idle = zan::load_le16(record.data() + 2);
    const std::uint16_t busy = zan::load_le16(record.data() + 4);
    const std::uint16_t patrol = zan::load_le16(record.data() + 6);
    const std::uint8_t buzzer = record[8];
    if (!addressed_here(a, record) || !is_priority(idle) || !is_priority(busy) || !is_priority(patrol) ||
        !is_switch(buzzer)) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    a.rebuild_priority_idle = idle;
    a.rebuild_priority_busy = busy;
    a.patrol_delay = patrol;
    a.buzzer = buzzer;
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t config_hot_spare(adapter& a, std::span<std::uint8_t> record)
{
    constexpr std::uint8_t ASSIGN = 0;
    constexpr std::uint8_t RELEASE = 1;
    const std::uint8_t action = record[1];
    const std::uint8_t hdd = record[2];
    if (!addressed_here(a, record) || (action != ASSIGN && action != RELEASE) || hdd >= DRIVE_SLOTS) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    physical_drive& d = a.drives[hdd];
    if (!d.present) return zan::IOC_STATUS_HDDS_NOT_EXIST;
    if (action == RELEASE) {
        if (d.global_spare == 0) return zan::IOC_STATUS_FAILURE;
        d.global_spare = 0;
        return zan::IOC_STATUS_GOOD;
    }
    if (drive_assignment(a, hdd).logical != NONE || candidate_of(a, hdd) != NONE) return zan::IOC_STATUS_HDD_IS_USED;
    if (d.global_spare != 0) return zan::IOC_STATUS_FAILURE;
    if (drive_failed(a, hdd)) return zan::IOC_STATUS_HDD_IS_NOT_GOOD;
    // A logical drive waiting for a spare takes the new one at once.
    const state_snapshot before = take_snapshot(a);
    d.global_spare = 1;
    settle_logicals(a);
    log_state_changes(a, before);
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t config_hdd_status(adapter& a, std::span<std::uint8_t> record)
{
    constexpr std::uint8_t FORCE_GOOD = 1;
    constexpr std::uint8_t FORCE_FAILED = 2;
    const std::uint8_t hdd = record[1];
    const std::uint8_t wanted = record[2];
    if (!addressed_here(a, record) || hdd >= DRIVE_SLOTS || (wanted != FORCE_GOOD && wanted != FORCE_FAILED)) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    if (!a.drives[hdd].present) return zan::IOC_STATUS_HDDS_NOT_EXIST;
    const std::uint8_t old_state = static_cast<std::uint8_t>(a.drives[hdd].state);
    const std::uint32_t new_state = wanted == FORCE_GOOD ? DRIVE_GOOD : DRIVE_FAILED;
    // The logical drive keeps the mark that an operator overrode a state,
    // even when a hot spare then takes the drive's place.
    const assignment where = drive_assignment(a, hdd);
    const std::uint8_t logical_before = where.logical != NONE ? logical_state(a, where.logical) : NONE;
    if (where.logical != NONE) a.logicals[where.logical].forced = 1;
    set_drive_state(a, hdd, new_state);
    log_forced_drive(a, hdd, static_cast<std::uint8_t>(new_state), old_state);
    // Forced good, its last failed member makes the logical drive optimal.
    if (logical_before != NONE && logical_before != LD_GOOD && logical_state(a, where.logical) == LD_GOOD) {
        log_forced_logical(a, where.logical, LD_GOOD, logical_before);
    }
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_glist_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    const std::array<std::uint32_t, 4> limits = {a.prevent_limit, a.prevent_limit_one_month,
                                                 a.prevent_limit_half_year, a.prevent_limit_one_year};
    for (std::size_t i = 0; i < limits.size(); ++i) {
        zan::store_le16(record.data() + 10 + 2 * i, static_cast<std::uint16_t>(limits[i]));
    }
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t set_glist_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    a.prevent_limit = zan::load_le16(record.data() + 8);
    a.prevent_limit_one_month = zan::load_le16(record.data() + 10);
    a.prevent_limit_half_year = zan::load_le16(record.data() + 12);
    a.prevent_limit_one_year = zan::load_le16(record.data() + 14);
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t config_fault_recovery(adapter& a, std::span<std::uint8_t> record)
{
    constexpr std::uint8_t START_CHECK = 1;
    constexpr std::uint8_t START_PARITY = 2;
    constexpr std::uint8_t START_REBUILD = 3;
    constexpr std::uint8_t STOP_MAINTENANCE = 5;
    const std::uint8_t number = record[1];
    const std::uint8_t action = record[3];
    if (!addressed_here(a, record) || number >= LOGICAL_SLOTS || record[2] != number ||
        (action != START_CHECK && action != START_PARITY && action != START_REBUILD && action != STOP_MAINTENANCE)) {
        return zan::IOC_STATUS_INVALID_PARAM;
    }
    if (!a.logicals[number].defined) return zan::IOC_STATUS_FAILURE;
    const state_snapshot before = take_snapshot(a);
    std::uint16_t status = zan::IOC_STATUS_GOOD;
    switch (action) {
    case START_CHECK: status = start_maintenance(a, number, MAINTENANCE_CHECK); break;
    case START_PARITY: status = start_maintenance(a, number, MAINTENANCE_PARITY); break;
    case START_REBUILD: status = start_rebuild(a, number, true); break;
    default: status = stop_maintenance(a, number); break;
    }
    log_state_changes(a, before);
    return status;
}

} // namespace sim
