// Information exports: controller count, controller information and
// parameters, RAID status, logical-drive and physical-drive information.
#include <cstring>

#include "controller_table.h"
#include "export_support.h"
#include "request.h"
#include "scsi_forms.h"
#include "zandllctl.h"
#include "zanioctl.h"

using namespace zan;

namespace {

constexpr std::uint8_t CONTROLLER_INFO_REQUEST_ID = 0xFF;

// ContPara: READ BUFFER mode 1 of buffer 0xA0, offset 0.
constexpr std::uint8_t CONTPARA_MODE = 1;
constexpr std::uint8_t CONTPARA_BUFFER_ID = 0xA0;

} // namespace

extern "C" {

ZANEXPORT BOOL32 ZANAPI getContNum(std::uint8_t* count)
{
    const export_entry entry("getContNum");
    return entry.run([&] {
        if (!check_pointer(entry, count)) return 0;
        *count = library().controller_count;
        entry.trace("Num=%d\n", *count);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getContInfo(int CONTno, ContInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getContInfo", "CONTno = %d\n", controller);
    return entry.run([&] {
        // While discovery runs, the slot being probed is not yet marked present.
        const bool checked = library().initialized ? check_controller(entry, controller)
                                                   : check_controller_range(entry, controller);
        if (!checked || !check_pointer(entry, info)) return 0;
        std::memset(info, 0, sizeof *info);

        work_record record = {};
        record[0] = CONTROLLER_INFO_REQUEST_ID;
        if (!send_request(entry, controller, IOCTL_KRAID_GET_CONTROLLER_INFO, record)) return 0;
        std::memcpy(info, record, sizeof *info);
        const controller_slot* slot = find_slot(controller);
        info->port_number = slot->port_number;
        info->driver_kind = slot->driver_kind;
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getContPara(int CONTno, ContPara* para)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getContPara", "CONTno = %d", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, para)) return 0;
        std::memset(para, 0, 4);

        work_record record = {};
        scsi_forms::put_read_buffer(record, CONTPARA_MODE, CONTPARA_BUFFER_ID, 0, sizeof *para);
        if (!send_request(entry, controller, IOCTL_KRAID_SCSI_READ_BUFFER, record)) return 0;
        std::memcpy(para, record + SCSI_REQUEST_DATA, sizeof *para);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getRaidStatus(int CONTno, RaidStatus* status)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getRaidStatus", same_line, ", CONTno=%d\n", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, status)) return 0;
        std::memset(status, 0, sizeof *status);

        work_record record = {};
        if (!send_request(entry, controller, IOCTL_KRAID_GET_RAID_STATUS, record)) return 0;
        std::memcpy(status, record, sizeof *status);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getLogicalDriveInfo(int CONTno, int GROUPno, LogicalDriveInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t group = low_byte(GROUPno);
    const export_entry entry("getLogicalDriveInfo", "CONTno=%d GROUPno=%d\n", controller, group);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_group(entry, group) || !check_pointer(entry, info)) {
            return 0;
        }
        std::memset(info, 0, sizeof *info);

        work_record record = {};
        record[0] = find_slot(controller)->controller_id;
        record[1] = group;
        if (!send_request(entry, controller, IOCTL_KRAID_GET_LOGICAL_DISK_INFO, record)) return 0;
        std::memcpy(info, record, sizeof *info);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getPhysicalDriveInfo(int CONTno, int HDDno, PhysicalDriveInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t drive = low_byte(HDDno);
    const export_entry entry("getPhysicalDriveInfo", "CONTno=%d HDDno=%d\n", controller, drive);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_drive(entry, drive) || !check_pointer(entry, info)) {
            return 0;
        }
        std::memset(info, 0, sizeof *info);

        work_record record = {};
        record[0] = find_slot(controller)->controller_id;
        record[1] = drive;
        if (!execute_request(controller, IOCTL_KRAID_GET_HDD_INFO, record)) {
            inner_step_failed(entry.name(), __LINE__, "execIoctl");
            return 0;
        }
        std::memcpy(info, record, sizeof *info);
        return 1;
    });
}

} // extern "C"
