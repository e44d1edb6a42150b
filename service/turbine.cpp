#include "turbine.h"

#include <cstdio>
#include <memory>

#include "driver_request.h"
#include "plat/desktop.h"
#include "plat/device.h"
#include "plat/disk.h"
#include "plat/own_messages.h"
#include "plat/sync.h"
#include "plat/volumes.h"
#include "reporter.h"
#include "zanioctl.h"

namespace zan {

namespace {

constexpr std::size_t RAID_STATUS_LD_STATES = 24;
constexpr std::size_t LOGICAL_INFO_LEVEL = 86;
constexpr std::uint8_t LEVEL_TURBINE_A = 0x5A;
constexpr std::uint8_t LEVEL_TURBINE_B = 0xA5;
constexpr std::uint8_t STATE_UNDEFINED = 0xFF;
constexpr std::uint8_t STATE_ALARM_FIRST = 0x20;
constexpr std::uint8_t STATE_ALARM_LAST = 0x2F;

constexpr char DEVICE_PREFIX[] = "\\\\.\\";
constexpr std::uint32_t ADDRESS_ATTEMPTS = 5;
constexpr std::uint32_t ADDRESS_PAUSE_MS = 5;
constexpr std::uint8_t RAID_DISK_PATH = 1;
constexpr std::uint32_t LAYOUT_BUFFER = 360;
constexpr std::size_t WARNING_TEXT = 256;
constexpr std::uint32_t WARNING_STYLE = plat::BOX_SERVICE_NOTIFICATION | plat::BOX_ICON_WARNING;

bool address_of(plat::device& d, plat::scsi_address& address)
{
    std::uint32_t returned = 0;
    return d.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned);
}

// The partition type of the first entry of the disk's layout; 0 when the
// layout can't be read.
std::uint8_t first_partition_type(plat::device& d)
{
    std::vector<std::uint8_t> layout(LAYOUT_BUFFER, 0);
    std::uint32_t returned = 0;
    if (!d.control(plat::IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, layout.data(), LAYOUT_BUFFER, &returned)) return 0;
    return layout[offsetof(plat::drive_layout_information, partition_entry) +
                  offsetof(plat::partition_information, partition_type)];
}

// The warning box's thread: it owns the text formatted before it started.
void show_warning(void* text)
{
    const std::unique_ptr<std::string> owned(static_cast<std::string*>(text));
    static_cast<void>(plat::message_box(owned->c_str(), SERVICE_NAME, WARNING_STYLE));
}

void warn(const turbine_warning& w, std::uint8_t controller)
{
    const std::string inserts[] = {std::to_string(controller), std::to_string(w.logical)};
    auto text = std::make_unique<std::string>();
    if (plat::format_own_message(w.id, inserts, WARNING_TEXT, *text)) {
        plat::thread box;
        if (box.start(show_warning, text.get())) {
            static_cast<void>(text.release());
            return;
        }
    }
    report_event(w.id, inserts, {}, controller);
}

} // namespace

void scan_turbine_drives(std::span<const std::uint8_t, TURBINE_LOGICAL_DRIVES> states, const level_reader& read_level,
                         turbine_table& drives)
{
    for (std::uint8_t k = 0; k < TURBINE_LOGICAL_DRIVES; ++k) {
        const std::uint8_t state = states[k];
        if (state == STATE_UNDEFINED || (state >= STATE_ALARM_FIRST && state <= STATE_ALARM_LAST)) continue;
        std::uint8_t level = 0;
        if (!read_level(k, level)) return;
        if (level == LEVEL_TURBINE_A || level == LEVEL_TURBINE_B) drives[k].turbine = true;
    }
}

std::string drive_letter_list(std::uint8_t port, std::uint8_t target)
{
    std::string list;
    const std::uint32_t mask = plat::logical_drive_mask();
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const char root_path[] = {letter, ':', '\\', '\0'};
        if ((mask & (1u << (letter - 'A'))) == 0 || plat::drive_type(root_path) != plat::DRIVE_TYPE_FIXED) continue;
        char name[16];
        std::snprintf(name, sizeof name, "%s%c:", DEVICE_PREFIX, letter);
        plat::device volume;
        if (!volume.open(name)) continue;
        plat::scsi_address address{};
        bool answered = false;
        for (std::uint32_t attempt = 0; attempt < ADDRESS_ATTEMPTS && !answered; ++attempt) {
            answered = address_of(volume, address);
            if (!answered && attempt + 1 < ADDRESS_ATTEMPTS) plat::sleep_ms(ADDRESS_PAUSE_MS);
        }
        volume.close();
        if (answered && address.port_number == port && address.target_id == target) {
            list += (list.empty() ? "" : ",") + std::string(name);
        }
    }
    return list;
}

void mark_dynamic_disks(std::uint8_t port, turbine_table& drives)
{
    plat::volume_search search;
    std::string name;
    if (!search.first(name)) return;
    std::uint32_t after_first = 0;
    while (search.next(name)) ++after_first;
    search.close();
    for (std::uint32_t d = 0; d < after_first; ++d) {
        char path[40];
        std::snprintf(path, sizeof path, "%s%u", plat::PHYSICAL_DRIVE_PREFIX, d);
        plat::device disk;
        plat::scsi_address address{};
        if (!disk.open(path) || !address_of(disk, address) || address.port_number != port ||
            address.path_id == RAID_DISK_PATH) {
            continue;
        }
        // A target beyond the logical drives names none of them.
        if (address.target_id >= TURBINE_LOGICAL_DRIVES) continue;
        drives[address.target_id].dynamic = first_partition_type(disk) == plat::PARTITION_TYPE_LDM;
    }
}

std::vector<turbine_warning> turbine_warnings(const turbine_table& drives)
{
    std::vector<turbine_warning> warnings;
    for (std::uint8_t k = 0; k < TURBINE_LOGICAL_DRIVES; ++k) {
        const turbine_drive& drive = drives[k];
        if (!drive.turbine) continue;
        if (drive.dynamic) warnings.push_back({MSG_TURBINE_DYNAMIC, k});
        if (drive.letters.empty() && !drive.dynamic) warnings.push_back({MSG_TURBINE_NO_LETTER, k});
    }
    return warnings;
}

void run_turbine_checks(monitored_controller& a)
{
    const std::uint8_t controller = a.controller_info[0];
    turbine_table drives{};
    scan_turbine_drives(std::span<const std::uint8_t, TURBINE_LOGICAL_DRIVES>(
                            a.raid_status.data() + RAID_STATUS_LD_STATES, TURBINE_LOGICAL_DRIVES),
                        [&a, controller](std::uint8_t k, std::uint8_t& level) {
                            std::array<std::uint8_t, 232> record{};
                            record[0] = controller;
                            record[1] = k;
                            std::uint32_t os_error = 0;
                            if (!send_driver_request(a.port, IOCTL_KRAID_GET_LOGICAL_DISK_INFO, record, os_error)) {
                                return false;
                            }
                            level = record[LOGICAL_INFO_LEVEL];
                            return true;
                        },
                        drives);
    for (std::uint8_t k = 0; k < TURBINE_LOGICAL_DRIVES; ++k) {
        if (drives[k].turbine) drives[k].letters = drive_letter_list(a.port_number, k);
    }
    mark_dynamic_disks(a.port_number, drives);
    for (const turbine_warning& w : turbine_warnings(drives)) warn(w, controller);
}

} // namespace zan
