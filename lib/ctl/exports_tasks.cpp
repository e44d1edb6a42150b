// Background-task, restore and bad-spot exports: start and stop rebuilds,
// consistency checks and parity making; read, restore and delete restorable
// configurations; read a drive's bad spots.
#include <cstring>

#include "badspot.h"
#include "controller_table.h"
#include "export_support.h"
#include "request.h"
#include "scsi_forms.h"
#include "zandllctl.h"
#include "zanioctl.h"

using namespace zan;

namespace {

// ---- Task start and stop ------------------------------------------------------

// CONFIG_FAULT_RECOVERY actions.
constexpr std::uint8_t ACTION_START_CONSISTENCY_CHECK = 1;
constexpr std::uint8_t ACTION_START_PARITY_MAKING = 2;
constexpr std::uint8_t ACTION_START_REBUILD = 3;
constexpr std::uint8_t ACTION_STOP = 5;

// What a task export does for one value of the state it reads.
struct task_cell {
    enum class kind : std::uint8_t { send, done, refuse } what;
    std::uint32_t value; // the action to send, or the error of a refusal
};

constexpr task_cell send_action(std::uint8_t action) { return {task_cell::kind::send, action}; }
constexpr task_cell already_done() { return {task_cell::kind::done, 0}; }
constexpr task_cell refuse(std::uint32_t error) { return {task_cell::kind::refuse, error}; }

// A task export decides by the rebuild state (byte 95) or the maintenance
// state (byte 96) of the logical drive: one cell for each of the values 0, 1
// and 2, and one for any other value.
struct task_export {
    const char* name;
    bool by_rebuild_state;
    task_cell cells[4];
};

constexpr task_export START_REBUILD = {
    "start_Rebuild", true,
    {refuse(DLL_ERROR_STATE_REFUSED), send_action(ACTION_START_REBUILD), already_done(),
     refuse(DLL_ERROR_STATE_REFUSED)}};
constexpr task_export START_CONSISTENCY_CHECK = {
    "start_consistencyCheck", false,
    {send_action(ACTION_START_CONSISTENCY_CHECK), already_done(), refuse(DLL_ERROR_PARITY_MAKING_RUNNING),
     refuse(DLL_ERROR_INTERNAL)}};
constexpr task_export STOP_CONSISTENCY_CHECK = {
    "stop_consistencyCheck", false,
    {already_done(), send_action(ACTION_STOP), refuse(DLL_ERROR_PARITY_MAKING_RUNNING), refuse(DLL_ERROR_INTERNAL)}};
constexpr task_export START_PARITY_MAKING = {
    "start_makeParity", false,
    {send_action(ACTION_START_PARITY_MAKING), refuse(DLL_ERROR_CONSISTENCY_CHECK_RUNNING), already_done(),
     refuse(DLL_ERROR_INTERNAL)}};
constexpr task_export STOP_PARITY_MAKING = {
    "stop_makeParity", false,
    {already_done(), refuse(DLL_ERROR_CONSISTENCY_CHECK_RUNNING), send_action(ACTION_STOP),
     refuse(DLL_ERROR_INTERNAL)}};

BOOL32 run_task_export(const task_export& task, int CONTno, int GROUPno)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t group = low_byte(GROUPno);
    const export_entry entry(task.name, "CONTno = %d, GROUPno=%d\n", controller, group);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_group(entry, group) ||
            !check_group_defined(entry, controller, group)) {
            return 0;
        }
        LogicalDriveInfo info;
        if (getLogicalDriveInfo(controller, group, &info) != 1) {
            inner_step_failed(entry.name(), __LINE__, "getLogicalDriveInfo");
            return 0;
        }

        const std::uint8_t state = task.by_rebuild_state ? info.rebuild_state : info.maintenance_state;
        const task_cell& cell = task.cells[state < 3 ? state : 3];
        switch (cell.what) {
        case task_cell::kind::done:
            return 1;
        case task_cell::kind::refuse:
            export_failed(entry.name(), __LINE__, cell.value);
            return 0;
        case task_cell::kind::send:
            break;
        }
        work_record record = {};
        record[0] = find_slot(controller)->controller_id;
        record[1] = group;
        record[2] = group;
        record[3] = static_cast<std::uint8_t>(cell.value);
        return send_request(entry, controller, IOCTL_KRAID_CONFIG_FAULT_RECOVERY, record) ? 1 : 0;
    });
}

// ---- Restore ----------------------------------------------------------------------

constexpr std::uint8_t RESTORE_ACTION_DELETE = 1;

// READ BUFFER of one drive's raw bad-spot list.
constexpr std::uint8_t BADSPOT_MODE = 1;
constexpr std::uint8_t BADSPOT_BUFFER_ID = 0xE0;
constexpr std::uint32_t BADSPOT_STRIDE = 512;

} // namespace

extern "C" {

ZANEXPORT BOOL32 ZANAPI start_Rebuild(int CONTno, int GROUPno)
{
    return run_task_export(START_REBUILD, CONTno, GROUPno);
}

ZANEXPORT BOOL32 ZANAPI start_consistencyCheck(int CONTno, int GROUPno)
{
    return run_task_export(START_CONSISTENCY_CHECK, CONTno, GROUPno);
}

ZANEXPORT BOOL32 ZANAPI stop_consistencyCheck(int CONTno, int GROUPno)
{
    return run_task_export(STOP_CONSISTENCY_CHECK, CONTno, GROUPno);
}

ZANEXPORT BOOL32 ZANAPI start_makeParity(int CONTno, int GROUPno)
{
    return run_task_export(START_PARITY_MAKING, CONTno, GROUPno);
}

ZANEXPORT BOOL32 ZANAPI stop_makeParity(int CONTno, int GROUPno)
{
    return run_task_export(STOP_PARITY_MAKING, CONTno, GROUPno);
}

ZANEXPORT BOOL32 ZANAPI getRestoreLDsts(int CONTno, RestoreStatus* status)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getRestoreLDsts", "CONTno=%d \n", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, status)) return 0;
        std::memset(status, 0, sizeof *status);

        work_record record = {};
        record[0] = find_slot(controller)->controller_id;
        if (!send_request(entry, controller, IOCTL_KRAID_GET_RESTORE_STATUS, record)) return 0;
        std::memcpy(status, record, sizeof *status);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getRestoreLDInfo(int CONTno, int GROUPno, LogicalDriveInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t candidate = low_byte(GROUPno);
    const export_entry entry("getRestoreLDInfo", "CONTno=%d GROUPno=%d\n", controller, candidate);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_group(entry, candidate) || !check_pointer(entry, info)) {
            return 0;
        }
        std::memset(info, 0, sizeof *info);

        work_record record = {};
        record[0] = find_slot(controller)->controller_id;
        record[1] = candidate;
        if (!send_request(entry, controller, IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO, record)) return 0;
        std::memcpy(info, record, sizeof *info);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI configRestoreLD(RestoreLDRecord* caller_record)
{
    const export_entry entry("configRestoreLD");
    return entry.run([&] {
        if (!check_pointer(entry, caller_record)) return 0;
        const std::uint8_t controller = caller_record->controller;
        entry.trace("CONTno=%d GROUPno=%d\n", controller, caller_record->group);
        if (!check_controller(entry, controller) || !check_group(entry, caller_record->group) ||
            !check_group(entry, caller_record->candidate)) {
            return 0;
        }
        if (caller_record->action > RESTORE_ACTION_DELETE || caller_record->must_be_zero != 0) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_NULL);
            return 0;
        }

        RestoreLDRecord request = *caller_record;
        std::memset(request.fill, 0xFF, sizeof request.fill);
        request.controller = find_slot(controller)->controller_id;
        request.group_again = request.group;
        work_record record = {};
        std::memcpy(record, &request, sizeof request);
        if (!send_request(entry, controller, IOCTL_KRAID_CONFIG_RESTORE, record)) return 0;
        std::memcpy(caller_record, record, sizeof *caller_record);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getBadspotInfo(int CONTno, int HDDno, BadspotInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t drive = low_byte(HDDno);
    const export_entry entry("getBadspotInfo", "CONTno = %d, HDDno=%d\n", controller, drive);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, info) || !check_drive(entry, drive)) {
            return 0;
        }
        std::memset(info, 0, sizeof *info);

        work_record record = {};
        scsi_forms::put_read_buffer(record, BADSPOT_MODE, BADSPOT_BUFFER_ID, drive * BADSPOT_STRIDE,
                                    RAW_BADSPOT_SIZE);
        if (!send_request(entry, controller, IOCTL_KRAID_SCSI_READ_BUFFER, record)) return 0;
        *info = convert_badspot(scsi_forms::answered_data(record, RAW_BADSPOT_SIZE).first<RAW_BADSPOT_SIZE>());
        return 1;
    });
}

} // extern "C"
