// Information exports: controller count, controller information and
// parameters, RAID status, logical-drive and physical-drive information.
#include <cstring>

#include "controller_table.h"
#include "debug_log.h"
#include "export_support.h"
#include "request.h"
#include "scsi_forms.h"
#include "thread_errors.h"
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
    static const char* const FN = "getContNum";
    enter_export();
    debug_log::entry_trace(FN);
    if (!check_pointer(FN, count)) return 0;
    *count = library().controller_count;
    debug_log::line(debug_log::LEVEL_TRACE, "getContNum\t: Num=%d\n", *count);
    return 1;
}

ZANEXPORT BOOL32 ZANAPI getContInfo(int CONTno, ContInfo* info)
{
    static const char* const FN = "getContInfo";
    const std::uint8_t controller = low_byte(CONTno);
    enter_export();
    debug_log::entry_trace(FN);
    debug_log::line(debug_log::LEVEL_TRACE, "%s\t: CONTno = %d\n", FN, controller);
    // While discovery runs, the slot being probed is not yet marked present.
    const bool checked = library().initialized ? check_controller(FN, controller)
                                               : check_controller_range(FN, controller);
    if (!checked || !check_pointer(FN, info)) return 0;
    std::memset(info, 0, sizeof *info);

    work_record record = {};
    record[0] = CONTROLLER_INFO_REQUEST_ID;
    if (!send_request(FN, controller, IOCTL_KRAID_GET_CONTROLLER_INFO, record)) return 0;
    std::memcpy(info, record, sizeof *info);
    const controller_slot* slot = find_slot(controller);
    info->port_number = slot->port_number;
    info->driver_kind = slot->driver_kind;
    return 1;
}

ZANEXPORT BOOL32 ZANAPI getContPara(int CONTno, ContPara* para)
{
    static const char* const FN = "getContPara";
    const std::uint8_t controller = low_byte(CONTno);
    enter_export();
    debug_log::entry_trace(FN);
    debug_log::line(debug_log::LEVEL_TRACE, "%s\t: CONTno = %d", FN, controller);
    if (!check_controller(FN, controller) || !check_pointer(FN, para)) return 0;
    std::memset(para, 0, 4);

    work_record record = {};
    scsi_forms::put_read_buffer(record, CONTPARA_MODE, CONTPARA_BUFFER_ID, 0, sizeof *para);
    if (!send_request(FN, controller, IOCTL_KRAID_SCSI_READ_BUFFER, record)) return 0;
    std::memcpy(para, record + SCSI_REQUEST_DATA, sizeof *para);
    return 1;
}

ZANEXPORT BOOL32 ZANAPI getRaidStatus(int CONTno, RaidStatus* status)
{
    static const char* const FN = "getRaidStatus";
    const std::uint8_t controller = low_byte(CONTno);
    enter_export();
    if (debug_log::wants(debug_log::LEVEL_TRACE)) {
        char stamp[64];
        debug_log::line(debug_log::LEVEL_TRACE, "%s\t: enter %s, CONTno=%d\n", FN, debug_log::trace_stamp(stamp),
                        controller);
    }
    if (!check_controller(FN, controller) || !check_pointer(FN, status)) return 0;
    std::memset(status, 0, sizeof *status);

    work_record record = {};
    if (!send_request(FN, controller, IOCTL_KRAID_GET_RAID_STATUS, record)) return 0;
    std::memcpy(status, record, sizeof *status);
    return 1;
}

ZANEXPORT BOOL32 ZANAPI getLogicalDriveInfo(int CONTno, int GROUPno, LogicalDriveInfo* info)
{
    static const char* const FN = "getLogicalDriveInfo";
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t group = low_byte(GROUPno);
    enter_export();
    debug_log::entry_trace(FN);
    debug_log::line(debug_log::LEVEL_TRACE, "%s\t: CONTno=%d GROUPno=%d\n", FN, controller, group);
    if (!check_controller(FN, controller) || !check_group(FN, group) || !check_pointer(FN, info)) return 0;
    std::memset(info, 0, sizeof *info);

    work_record record = {};
    record[0] = find_slot(controller)->controller_id;
    record[1] = group;
    if (!send_request(FN, controller, IOCTL_KRAID_GET_LOGICAL_DISK_INFO, record)) return 0;
    std::memcpy(info, record, sizeof *info);
    return 1;
}

ZANEXPORT BOOL32 ZANAPI getPhysicalDriveInfo(int CONTno, int HDDno, PhysicalDriveInfo* info)
{
    static const char* const FN = "getPhysicalDriveInfo";
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t drive = low_byte(HDDno);
    enter_export();
    debug_log::entry_trace(FN);
    debug_log::line(debug_log::LEVEL_TRACE, "%s\t: CONTno=%d HDDno=%d\n", FN, controller, drive);
    if (!check_controller(FN, controller) || !check_drive(FN, drive) || !check_pointer(FN, info)) return 0;
    std::memset(info, 0, sizeof *info);

    work_record record = {};
    record[0] = find_slot(controller)->controller_id;
    record[1] = drive;
    if (!execute_request(controller, IOCTL_KRAID_GET_HDD_INFO, record)) {
        inner_failed(FN, __LINE__);
        debug_log::called("execIoctl");
        return 0;
    }
    std::memcpy(info, record, sizeof *info);
    return 1;
}

} // extern "C"
