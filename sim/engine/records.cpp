#include "records.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "event_log.h"
#include "raid.h"

namespace sim {

namespace {

// Fixed-width identification text, blank-padded as SCSI identification is.
template <std::size_t N>
void put_padded(char (&field)[N], const std::string& text)
{
    std::memset(field, ' ', N);
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

// Zero-terminated text in a field with room for the terminator.
template <std::size_t N>
void put_terminated(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N - 1, text.size()));
}

std::string padded(const std::string& text, std::size_t width)
{
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

} // namespace

std::string inquiry_text(const physical_drive& d)
{
    return padded(d.inquiry.empty() ? padded(d.vendor, 8) + padded(d.product, 16) + padded(d.revision, 4) : d.inquiry,
                  40);
}

zan::ContInfo build_cont_info(const adapter& a)
{
    zan::ContInfo r{};
    r.controller_id = static_cast<zan::u8>(a.controller_id);
    r.pci_bus = static_cast<zan::u8>(a.pci_bus);
    r.pci_device = static_cast<zan::u8>(a.pci_device);
    r.revision = static_cast<zan::u8>(a.revision);
    put_padded(r.driver_version, a.driver_version);
    r.total_memory_mb.set(a.memory_mb);
    r.cache_size_mb.set(a.cache_mb);
    r.write_cache_size_mb.set(a.write_cache_mb);
    r.rebuild_priority_idle.set(a.rebuild_priority_idle);
    r.rebuild_priority_busy.set(a.rebuild_priority_busy);
    r.patrol_read_delay.set(a.patrol_delay);
    r.buzzer = static_cast<zan::u8>(a.buzzer);
    put_padded(r.model_name, a.model);
    put_padded(r.general_revision, a.firmware);
    return r;
}

zan::ContPara build_cont_para(const adapter& a)
{
    zan::ContPara r{};
    put_terminated(r.boot_firmware_revision, a.boot_firmware);
    for (int i = 0; i < 4; ++i) r.processor_revision[i] = static_cast<zan::u8>(a.processor_revision >> (24 - 8 * i));
    r.adapter_version = static_cast<zan::u8>(a.adapter_version);
    for (int i = 0; i < 8; ++i) r.sas_address[i] = static_cast<zan::u8>(a.sas_address >> (56 - 8 * i));
    put_padded(r.flash_rom1_revision, a.flash_rom1);
    put_padded(r.flash_rom2_revision, a.flash_rom2);
    r.flash_rom_state = static_cast<zan::u8>(a.flash_state);
    return r;
}

zan::RaidStatus build_raid_status(const adapter& a)
{
    zan::RaidStatus r{};
    for (int n = 0; n < LOGICAL_SLOTS; ++n) {
        r.ld_state[n] = logical_state(a, n);
        r.ld_state2[n] = r.ld_state[n];
    }
    for (int d = 0; d < DRIVE_SLOTS; ++d) {
        const physical_drive& drive = a.drives[static_cast<std::size_t>(d)];
        r.hdd_state[d] = drive.present ? static_cast<zan::u8>(drive.state) : NONE;
    }
    r.event_log_position.set(event_read_position(a));
    r.battery_status = static_cast<zan::u8>(a.battery);
    return r;
}

namespace {

zan::LogicalDriveInfo layout_info(const adapter& a, const logical_drive& ld, int number)
{
    zan::LogicalDriveInfo r{};
    r.controller_id = static_cast<zan::u8>(a.controller_id);
    r.group = static_cast<zan::u8>(number);
    r.member_count = static_cast<zan::u8>(ld.members.size());
    for (std::size_t i = 0; i < ld.members.size(); ++i) {
        r.members[i].hdd = static_cast<zan::u8>(ld.members[i].hdd);
        r.members[i].role = ld.members[i].role;
        r.members[i].position = member_position(ld, i);
    }
    r.hot_spare_mode = static_cast<zan::u8>(ld.hot_spare_mode);
    r.raid_level = static_cast<zan::u8>(ld.turbine != 0 ? ld.turbine : ld.raid_level);
    r.stripe_size.set(ld.stripe_blocks);
    r.sub_group_count = static_cast<zan::u8>(ld.sub_groups);
    r.auto_rebuild = static_cast<zan::u8>(ld.auto_rebuild);
    r.rebuild_state = static_cast<zan::u8>(ld.rebuild);
    r.maintenance_state = static_cast<zan::u8>(ld.maintenance);
    r.progress = static_cast<zan::u8>(ld.progress);
    r.force_state_change = static_cast<zan::u8>(ld.forced);
    r.operation_error_count.set(ld.errors);
    r.read_cache = static_cast<zan::u8>(ld.read_cache);
    r.write_cache = static_cast<zan::u8>(ld.write_cache);
    r.size_mb.set(logical_size_mb(a, ld));
    return r;
}

} // namespace

zan::LogicalDriveInfo build_logical_info(const adapter& a, int number)
{
    return layout_info(a, a.logicals[static_cast<std::size_t>(number)], number);
}

zan::LogicalDriveInfo build_candidate_info(const adapter& a, int number)
{
    const logical_drive& candidate = a.candidates[static_cast<std::size_t>(number)];
    zan::LogicalDriveInfo r = layout_info(a, candidate, number);
    for (std::size_t i = 0; i < candidate.members.size(); ++i) {
        const physical_drive& d = a.drives[candidate.members[i].hdd];
        r.members[i].drive_state = d.present ? static_cast<zan::u8>(d.state) : NONE;
    }
    return r;
}

zan::PhysicalDriveInfo build_drive_info(const adapter& a, int number)
{
    const physical_drive& d = a.drives[static_cast<std::size_t>(number)];
    zan::PhysicalDriveInfo r{};
    r.controller_id = static_cast<zan::u8>(a.controller_id);
    r.hdd = static_cast<zan::u8>(number);
    put_padded(r.vendor, d.vendor);
    put_padded(r.product, d.product);
    put_padded(r.revision, d.revision);
    const assignment where = drive_assignment(a, static_cast<std::uint32_t>(number));
    r.group = where.logical;
    r.drive_class = drive_class(a, static_cast<std::uint32_t>(number));
    r.size_mb.set(d.size_mb);
    r.medium_error_count.set(d.medium_errors);
    put_padded(r.inquiry_text, inquiry_text(d));
    r.link = static_cast<zan::u8>(d.link);
    r.smart = static_cast<zan::u8>(d.smart);
    // The bad-spot list holds 16 entries; more spots than that are "Over".
    r.bad_spot_state = d.bad_spots.empty() ? 0 : d.bad_spots.size() <= BAD_SPOT_LIST_SIZE ? 6 : 0x16;
    r.bad_spot_count.set(static_cast<std::uint32_t>(std::min<std::size_t>(d.bad_spots.size(), 0xFFFF)));
    return r;
}

} // namespace sim
