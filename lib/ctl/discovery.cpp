#include "discovery.h"

#include <cstring>

#include "controller_table.h"
#include "debug_log.h"
#include "export_support.h"
#include "plat/error.h"
#include "scsi_ports.h"
#include "thread_errors.h"
#include "zandllctl.h"

namespace zan {
namespace {

constexpr const char* FN = "initContData";

// The places the debug log's error entries name, one per failure site; fixed
// numbers, so that a log reads the same whatever edits the file sees.
enum place : int {
    PLACE_READ_DRIVER = 38,
    PLACE_PROBE = 55,
    PLACE_OPEN_SCSI_KEY = 73,
    PLACE_LIST_SUBKEY = 85,
    PLACE_OPEN_PORT_KEY = 92,
    PLACE_BUSY_PORT = 110,
};

void registry_failed(int place, std::uint32_t os_error, const char* keyword)
{
    plat::set_last_error(os_error);
    export_failed(FN, place, DLL_ERROR_SYSTEM);
    debug_log::keyword(keyword);
}

void step_failed(port_walk_step step, std::uint32_t os_error)
{
    switch (step) {
    case port_walk_step::list_subkey: registry_failed(PLACE_LIST_SUBKEY, os_error, "RegEnumKeyEx,ScsiKey,index"); return;
    case port_walk_step::open_port_key: registry_failed(PLACE_OPEN_PORT_KEY, os_error, "RegEnumKeyEx, ScsiPortName"); return;
    case port_walk_step::read_driver:
        registry_failed(PLACE_READ_DRIVER, os_error, "RegQueryValueEx, PortKey, DRIVER_KEY_NAME");
        return;
    }
}

enum class probe_end { present, skipped, busy };

// Asks the adapter behind an accepted port for its controller information in
// the slot at the current count; the slot becomes present when it answers,
// and is emptied again when it does not.
probe_end probe_port(const scsi_port& port)
{
    library_state& lib = library();
    const std::uint8_t index = lib.controller_count;
    controller_slot& slot = lib.slots[index];
    slot.state = SLOT_EMPTY;
    slot.driver_kind = port.driver_kind;
    std::memcpy(slot.device_path, port.device_path, sizeof slot.device_path);
    slot.port_number = port.number;

    ContInfo info;
    if (!getContInfo(index, &info)) {
        inner_failed(FN, PLACE_PROBE);
        empty_slot(slot);
        return (thread_errors::get() & DLL_ERROR_IOCTL_BUSY) != 0 ? probe_end::busy : probe_end::skipped;
    }
    slot.controller_id = info.controller_id;
    slot.state = SLOT_PRESENT;
    ++lib.controller_count;
    return probe_end::present;
}

} // namespace

bool discover_controllers()
{
    library_state& lib = library();
    bool busy_port = false;
    const port_walk_visitor visitor{
        .accepted =
            [&](const scsi_port& port) {
                busy_port = probe_port(port) == probe_end::busy;
                return !busy_port && lib.controller_count < MAX_CONTROLLERS;
            },
        .failed = step_failed,
    };
    const port_walk_result walk = walk_scsi_ports(DRIVER_KINDS, visitor);
    switch (walk.end) {
    case port_walk_end::no_scsi_key:
        registry_failed(PLACE_OPEN_SCSI_KEY, walk.os_error, "RegOpenKey,HKEY_LOCAL_MACHINE, SCSI_KEY_NAME");
        return false;
    case port_walk_end::end_of_list:
        debug_log::line(debug_log::LEVEL_TRACE, "initContData\t: RegEnumKeyEx,ScsiKey, NO_MORE_ITEMS \n");
        break;
    case port_walk_end::list_failed:
    case port_walk_end::stopped: break;
    }
    if (busy_port) {
        // An adapter kept busy by another program is not passed over: the
        // controller numbers of the others would shift onto it and a command
        // for one adapter would reach the next.
        reset_controller_table();
        export_failed(FN, PLACE_BUSY_PORT, DLL_ERROR_IOCTL_BUSY | DLL_ERROR_PASSED_UP);
        return false;
    }
    lib.initialized = true;
    return true;
}

} // namespace zan
