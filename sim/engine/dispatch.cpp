#include "dispatch.h"

#include <algorithm>
#include <cstring>

#include "adapter_memory.h"
#include "answers.h"
#include "event_log.h"
#include "records.h"
#include "zanioctl.h"

namespace sim {

namespace {

template <class R>
void put_record(std::span<std::uint8_t> record, const R& r)
{
    std::memcpy(record.data(), &r, std::min(sizeof r, record.size()));
}

std::uint16_t get_controller_info(adapter& a, std::span<std::uint8_t> record)
{
    if (record[0] != 0xFF && !addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    put_record(record, build_cont_info(a));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_raid_status(adapter& a, std::span<std::uint8_t> record)
{
    put_record(record, build_raid_status(a));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_logical_disk_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    const int number = record[1];
    if (number >= LOGICAL_SLOTS || !a.logicals[static_cast<std::size_t>(number)].defined) {
        return zan::IOC_STATUS_FAILURE;
    }
    put_record(record, build_logical_info(a, number));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_hdd_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    const int number = record[1];
    if (number >= DRIVE_SLOTS || !a.drives[static_cast<std::size_t>(number)].present) {
        return zan::IOC_STATUS_FAILURE;
    }
    put_record(record, build_drive_info(a, number));
    return zan::IOC_STATUS_GOOD;
}

// The monitoring service says that it started (0x10) or stops (0x11).
std::uint16_t set_service_state(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record) || (record[1] != 0x10 && record[1] != 0x11)) return zan::IOC_STATUS_INVALID_PARAM;
    a.service_state = record[1];
    return zan::IOC_STATUS_GOOD;
}

struct modelled_code {
    std::uint32_t code;
    answer respond;
};

constexpr modelled_code MODELLED_CODES[] = {
    {zan::IOCTL_KRAID_GET_CONTROLLER_INFO, get_controller_info},
    {zan::IOCTL_KRAID_GET_RAID_STATUS, get_raid_status},
    {zan::IOCTL_KRAID_GET_LOGICAL_DISK_INFO, get_logical_disk_info},
    {zan::IOCTL_KRAID_GET_HDD_INFO, get_hdd_info},
    {zan::IOCTL_KRAID_CREATE_LOGICAL_DISK, create_logical_disk},
    {zan::IOCTL_KRAID_CONFIG_LOGICAL_DISK, config_logical_disk},
    {zan::IOCTL_KRAID_CONFIG_CONTROLLER, config_controller},
    {zan::IOCTL_KRAID_CONFIG_HOT_SPARE, config_hot_spare},
    {zan::IOCTL_KRAID_CONFIG_HDD_STATUS, config_hdd_status},
    {zan::IOCTL_KRAID_GET_EVENT_LOG, get_event_log},
    {zan::IOCTL_KRAID_GET_DUMP_INFO, get_dump_info},
    {zan::IOCTL_KRAID_GET_DUMP_DATA, get_dump_data},
    {zan::IOCTL_KRAID_SET_SERVICE_STATE, set_service_state},
    {zan::IOCTL_KRAID_GET_GLIST_INFO, get_glist_info},
    {zan::IOCTL_KRAID_SET_GLIST_INFO, set_glist_info},
    {zan::IOCTL_KRAID_SCSI_MODE_SELECT, scsi_mode_select},
    {zan::IOCTL_KRAID_SCSI_MODE_SENSE, scsi_mode_sense},
    {zan::IOCTL_KRAID_SCSI_READ_BUFFER, scsi_read_buffer},
    {zan::IOCTL_KRAID_SCSI_WRITE_BUFFER, scsi_write_buffer},
    {zan::IOCTL_KRAID_CONFIG_FAULT_RECOVERY, config_fault_recovery},
    {zan::IOCTL_KRAID_GET_RESTORE_STATUS, get_restore_status},
    {zan::IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO, get_restore_logical_disk_info},
    {zan::IOCTL_KRAID_CONFIG_RESTORE, config_restore},
};

} // namespace

std::uint16_t answer_request(adapter& a, std::uint32_t code, std::span<std::uint8_t> record)
{
    for (const modelled_code& m : MODELLED_CODES) {
        if (m.code == code) return m.respond(a, record);
    }
    // The firmware rejects what it does not carry out.
    return zan::IOC_STATUS_INVALID_PARAM;
}

} // namespace sim
