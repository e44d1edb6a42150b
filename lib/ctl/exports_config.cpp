// Configuration exports: creating and deleting logical drives, global hot
// spares, forced drive states, a logical drive's caches and auto rebuild, the
// adapter's rebuild priorities and patrol-read delay, the locate LED and the
// prevent limits.
#include <cstring>

#include "config_records.h"
#include "controller_table.h"
#include "export_support.h"
#include "request.h"
#include "scsi_forms.h"
#include "zandllctl.h"
#include "zanioctl.h"

using namespace zan;

namespace {

constexpr std::uint32_t CREATE_STRIPE_BLOCKS = 256; // 128 kB
constexpr std::uint8_t RAID_LEVEL_0 = 0;

// How often a vendor page is offered to ModeSelect before giving up.
constexpr int MODE_PAGE_CALLS = 11;

std::uint8_t controller_id(std::uint8_t controller)
{
    return find_slot(controller)->controller_id;
}

// The argument lines of the drive exports: the controller, then the drive on
// a line of its own.
constexpr const char* DRIVE_ARGUMENTS = "CONTno = %d\n%s\t: HDDno = %d\n";

// getContInfo as a step of another export.
bool read_cont_info(const export_entry& entry, std::uint8_t controller, ContInfo& info)
{
    if (getContInfo(controller, &info) == 1) return true;
    inner_step_failed(entry.name(), __LINE__, "getContInfo");
    return false;
}

// ---- Drive operations: hot spares and forced states --------------------------

struct drive_operation {
    const char* name;
    std::uint32_t code;
    bool drive_first;     // HDD status: drive, then state; hot spare: action, then drive
    std::uint8_t value;   // the state or the action
};

constexpr drive_operation CREATE_GHS = {"createGHS", IOCTL_KRAID_CONFIG_HOT_SPARE, false, 0};
constexpr drive_operation DELETE_GHS = {"deleteGHS", IOCTL_KRAID_CONFIG_HOT_SPARE, false, 1};
constexpr drive_operation HDD_GOOD = {"setHDDsts_GOOD", IOCTL_KRAID_CONFIG_HDD_STATUS, true, 1};
constexpr drive_operation HDD_ALARM = {"setHDDsts_ALAM", IOCTL_KRAID_CONFIG_HDD_STATUS, true, 2};

BOOL32 run_drive_operation(const drive_operation& op, int CONTno, int HDDno)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t drive = low_byte(HDDno);
    const export_entry entry(op.name, DRIVE_ARGUMENTS, controller, op.name, drive);
    return entry.run([&] {
        ContInfo info;
        if (!check_controller(entry, controller) || !read_cont_info(entry, controller, info) ||
            !check_drive(entry, drive)) {
            return 0;
        }

        config_drive_request request = {};
        request.controller_id = controller_id(controller);
        request.operand1 = op.drive_first ? drive : op.value;
        request.operand2 = op.drive_first ? op.value : drive;
        request.status.set(UNANSWERED_STATUS);
        work_record record = {};
        put_request(record, request);
        return send_request(entry, controller, op.code, record) ? 1 : 0;
    });
}

// ---- Logical-drive switches: caches and auto rebuild -------------------------

// Each switch replaces one flag of CONFIG_LOGICAL_DISK; the adapter takes all
// three at once, so the other two are sent as they stand.
struct ld_switch {
    const char* name;
    const char* argument;  // the argument's name in the trace
    u8 config_logical_disk_request::*flag;
};

constexpr ld_switch WRITE_CACHE = {"setWriteCache", "WBCon", &config_logical_disk_request::write_cache};
constexpr ld_switch READ_CACHE = {"setReadCache", "RDCon", &config_logical_disk_request::read_cache};
constexpr ld_switch AUTO_REBUILD = {"setAutoRebuild", "AutoRebld", &config_logical_disk_request::auto_rebuild};

BOOL32 set_ld_switch(const ld_switch& sw, int CONTno, int GROUPno, int value)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t group = low_byte(GROUPno);
    const std::uint8_t on = low_byte(value);
    const export_entry entry(sw.name, "CONTno = %d, GROUPno=%d, %s=%d\n", controller, group, sw.argument, on);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_group(entry, group) ||
            !check_group_defined(entry, controller, group)) {
            return 0;
        }
        if (on > 1) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_CONFIGLD);
            return 0;
        }
        LogicalDriveInfo info;
        if (getLogicalDriveInfo(controller, group, &info) == 0) {
            inner_step_failed(entry.name(), __LINE__, "getLogicalDriveInfo");
            return 0;
        }

        config_logical_disk_request request = {};
        request.controller_id = controller_id(controller);
        request.first_group = group;
        request.last_group = group;
        request.read_cache = info.read_cache;
        request.write_cache = info.write_cache;
        request.auto_rebuild = info.auto_rebuild;
        // The record's flags say "off": write through, no read ahead, disabled.
        request.*sw.flag = on == 1 ? 0 : 1;
        work_record record = {};
        put_request(record, request);
        return send_request(entry, controller, IOCTL_KRAID_CONFIG_LOGICAL_DISK, record) ? 1 : 0;
    });
}

// ---- Adapter priorities: rebuild while idle and busy, patrol-read delay ------

// Each setting replaces one value of CONFIG_CONTROLLER; the others, and the
// buzzer setting, are sent back as the adapter reports them.
struct priority_setting {
    const char* name;
    le16 config_controller_request::*value;
};

constexpr priority_setting REBUILD_IDLE = {"setRESTintvIDLE", &config_controller_request::rebuild_priority_idle};
constexpr priority_setting REBUILD_BUSY = {"setRESTintvBUSY", &config_controller_request::rebuild_priority_busy};
constexpr priority_setting PATROL_DELAY = {"setHDDintv", &config_controller_request::patrol_read_delay};

BOOL32 set_priority(const priority_setting& setting, int CONTno, int priority)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t value = low_byte(priority);
    const export_entry entry(setting.name, "CONTno = %d, priority=%d\n", controller, value);
    return entry.run([&] {
        ContInfo info;
        if (!check_controller(entry, controller) || !check_priority(entry, value) ||
            !read_cont_info(entry, controller, info)) {
            return 0;
        }

        config_controller_request request = {};
        request.controller_id = controller_id(controller);
        request.rebuild_priority_idle = info.rebuild_priority_idle;
        request.rebuild_priority_busy = info.rebuild_priority_busy;
        request.patrol_read_delay = info.patrol_read_delay;
        request.buzzer = info.buzzer;
        (request.*setting.value).set(value);
        work_record record = {};
        put_request(record, request);
        return send_request(entry, controller, IOCTL_KRAID_CONFIG_CONTROLLER, record) ? 1 : 0;
    });
}

// ---- Vendor mode pages -------------------------------------------------------

enum class page_outcome { accepted, refused, failed };

// Offers a vendor page to ModeSelect, again while the call fails, up to
// MODE_PAGE_CALLS calls. A failure after the last call keeps the error that
// ModeSelect left.
page_outcome offer_vendor_page(const export_entry& entry, std::uint8_t controller,
                               const scsi_forms::vendor_page& page)
{
    for (int call = 0; call < MODE_PAGE_CALLS; ++call) {
        std::uint8_t completion[COMPLETION_AREA_SIZE];
        if (ModeSelect(controller, page.length, page.bytes.data(), completion) == 1) {
            return scsi_forms::accepted(completion) ? page_outcome::accepted : page_outcome::refused;
        }
    }
    inner_step_failed(entry.name(), __LINE__, "ModeSelect");
    return page_outcome::failed;
}

// Deleting a logical drive takes three pages; a refusal of the first means
// the adapter's state does not allow it, a later one that it failed.
struct delete_step {
    scsi_forms::vendor_page_form form;
    std::uint32_t refused;
};

constexpr delete_step DELETE_STEPS[] = {
    {scsi_forms::DELETE_LD_CONFIGURATION, DLL_ERROR_STATE_REFUSED},
    {scsi_forms::DELETE_LD_ARRAY, DLL_ERROR_DRIVER_REFUSED},
    {scsi_forms::DELETE_LD_FINISH, DLL_ERROR_DRIVER_REFUSED},
};

// LED modes: a low nibble of 0 or 1 and a high nibble of 0-3, but not 0x01.
bool valid_led_mode(std::uint8_t mode)
{
    return (mode & 0x0F) <= 1 && (mode >> 4) <= 3 && mode != 0x01;
}

} // namespace

extern "C" {

ZANEXPORT BOOL32 ZANAPI createLD(const CreateLDRecord* record)
{
    const export_entry entry("createLD");
    return entry.run([&] {
        if (!check_pointer(entry, record)) return 0;
        const std::uint8_t controller = record->controller;
        entry.trace("CONTno = %d\n", controller);
        ContInfo info;
        if (!check_controller(entry, controller) || !read_cont_info(entry, controller, info)) return 0;
        if (record->member_count > MAX_HDDS) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_HDDNO);
            return 0;
        }
        for (std::uint8_t i = 0; i < record->member_count; ++i) {
            if (!check_drive(entry, record->members[i])) return 0;
        }

        create_logical_disk_request request = {};
        request.controller_id = controller_id(controller);
        request.first_group = record->group;
        request.last_group = record->group;
        request.member_count = record->member_count;
        std::memcpy(request.members, record->members, record->member_count);
        request.hot_spare_mode = record->hot_spare_mode;
        request.raid_level = record->raid_level;
        const bool single_drive_raid0 = record->raid_level == RAID_LEVEL_0 && record->member_count == 1;
        request.stripe_size.set(single_drive_raid0 ? 0 : CREATE_STRIPE_BLOCKS);
        request.no_read_ahead = record->no_read_ahead;
        request.write_through = record->write_through;
        request.sub_group = record->sub_group;
        request.one = 1;
        request.status.set(UNANSWERED_STATUS);
        work_record work = {};
        put_request(work, request);
        return send_request(entry, controller, IOCTL_KRAID_CREATE_LOGICAL_DISK, work) ? 1 : 0;
    });
}

ZANEXPORT BOOL32 ZANAPI deleteLD(int CONTno, int GROUPno)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t group = low_byte(GROUPno);
    const export_entry entry("deleteLD", "CONTno=%d GROUPno=%d\n", controller, group);
    return entry.run([&] {
        if (!check_controller(entry, controller)) return 0;
        for (const delete_step& step : DELETE_STEPS) {
            switch (offer_vendor_page(entry, controller, scsi_forms::build_vendor_page(step.form, group))) {
            case page_outcome::accepted:
                break;
            case page_outcome::refused:
                export_failed(entry.name(), __LINE__, step.refused);
                return 0;
            case page_outcome::failed:
                return 0;
            }
        }
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI createGHS(int CONTno, int HDDno)
{
    return run_drive_operation(CREATE_GHS, CONTno, HDDno);
}

ZANEXPORT BOOL32 ZANAPI deleteGHS(int CONTno, int HDDno)
{
    return run_drive_operation(DELETE_GHS, CONTno, HDDno);
}

ZANEXPORT BOOL32 ZANAPI setHDDsts_GOOD(int CONTno, int HDDno)
{
    return run_drive_operation(HDD_GOOD, CONTno, HDDno);
}

ZANEXPORT BOOL32 ZANAPI setHDDsts_ALAM(int CONTno, int HDDno)
{
    return run_drive_operation(HDD_ALARM, CONTno, HDDno);
}

ZANEXPORT BOOL32 ZANAPI setWriteCache(int CONTno, int GROUPno, int WBCon)
{
    return set_ld_switch(WRITE_CACHE, CONTno, GROUPno, WBCon);
}

ZANEXPORT BOOL32 ZANAPI setReadCache(int CONTno, int GROUPno, int RDCon)
{
    return set_ld_switch(READ_CACHE, CONTno, GROUPno, RDCon);
}

ZANEXPORT BOOL32 ZANAPI setAutoRebuild(int CONTno, int GROUPno, int AutoRebld)
{
    return set_ld_switch(AUTO_REBUILD, CONTno, GROUPno, AutoRebld);
}

ZANEXPORT BOOL32 ZANAPI setRESTintvIDLE(int CONTno, int priority)
{
    return set_priority(REBUILD_IDLE, CONTno, priority);
}

ZANEXPORT BOOL32 ZANAPI setRESTintvBUSY(int CONTno, int priority)
{
    return set_priority(REBUILD_BUSY, CONTno, priority);
}

ZANEXPORT BOOL32 ZANAPI setHDDintv(int CONTno, int priority)
{
    return set_priority(PATROL_DELAY, CONTno, priority);
}

ZANEXPORT BOOL32 ZANAPI setHDDLocateLED(int CONTno, int HDDno, int mode)
{
    static const char* const FN = "setHDDLocateLED";
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t drive = low_byte(HDDno);
    const std::uint8_t led_mode = low_byte(mode);
    const export_entry entry(FN, DRIVE_ARGUMENTS, controller, FN, drive);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_drive(entry, drive)) return 0;
        if (!valid_led_mode(led_mode)) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_SIZESPEC);
            return 0;
        }
        const auto page = scsi_forms::build_vendor_page(scsi_forms::LOCATE_LED, drive, led_mode);
        switch (offer_vendor_page(entry, controller, page)) {
        case page_outcome::accepted:
            return 1;
        case page_outcome::refused:
            export_failed(entry.name(), __LINE__, DLL_ERROR_STATE_REFUSED);
            return 0;
        case page_outcome::failed:
            return 0;
        }
        return 0;
    });
}

ZANEXPORT BOOL32 ZANAPI getGListInfo(int CONTno, GListInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getGListInfo", "CONTno = %d", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, info)) return 0;
        std::memset(info, 0, sizeof *info);

        get_glist_request request = {};
        request.controller_id = controller_id(controller);
        work_record record = {};
        put_request(record, request);
        if (!send_request(entry, controller, IOCTL_KRAID_GET_GLIST_INFO, record)) return 0;
        std::memcpy(info, answered_request<get_glist_request>(record).values, sizeof *info);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI setGListInfo(int CONTno, const GListInfo* info)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("setGListInfo", "CONTno = %d", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, info)) return 0;

        set_glist_request request = {};
        request.controller_id = controller_id(controller);
        std::memcpy(request.values, info, sizeof *info);
        work_record record = {};
        put_request(record, request);
        return send_request(entry, controller, IOCTL_KRAID_SET_GLIST_INFO, record) ? 1 : 0;
    });
}

} // extern "C"
