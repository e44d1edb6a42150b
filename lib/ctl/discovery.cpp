#include "discovery.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controller_table.h"
#include "debug_log.h"
#include "export_support.h"
#include "plat/error.h"
#include "plat/registry.h"
#include "thread_errors.h"
#include "zandllctl.h"
#include "zandrivers.h"

namespace zan {
namespace {

constexpr const char* FN = "initContData";
constexpr std::uint32_t NAME_CHARS = REGISTRY_NAME_CHARS;

void registry_failed(int place, std::uint32_t os_error, const char* keyword)
{
    plat::set_last_error(os_error);
    export_failed(FN, place, DLL_ERROR_SYSTEM);
    debug_log::keyword(keyword);
}

// Fills the slot at the current count from one port key; true when the
// adapter behind it answered and the slot became present.
bool probe_port(const plat::reg_key& port_key, const char* subkey_name)
{
    char driver[NAME_CHARS + 1] = {};
    std::uint32_t type = 0;
    std::uint32_t size = NAME_CHARS;
    if (const std::uint32_t rc = port_key.query_value(DRIVER_VALUE_NAME, type, driver, size); rc != plat::ERR_SUCCESS) {
        registry_failed(__LINE__, rc, "RegQueryValueEx, PortKey, DRIVER_KEY_NAME");
        return false;
    }
    const driver_kind_entry* kind = find_driver_kind(driver);
    if (kind == nullptr) return false;

    library_state& lib = library();
    const std::uint8_t index = lib.controller_count;
    controller_slot& slot = lib.slots[index];
    slot.state = SLOT_EMPTY;
    slot.driver_kind = kind->kind;
    const std::string port_text(port_number_text(subkey_name));
    std::snprintf(slot.device_path, sizeof slot.device_path, "\\\\.\\Scsi%s:", port_text.c_str());
    slot.port_number = static_cast<std::uint8_t>(std::strtoul(port_text.c_str(), nullptr, 10));

    ContInfo info;
    if (!getContInfo(index, &info)) {
        inner_failed(FN, __LINE__);
        return false;
    }
    slot.controller_id = info.controller_id;
    slot.state = SLOT_PRESENT;
    ++lib.controller_count;
    return true;
}

} // namespace

bool discover_controllers()
{
    library_state& lib = library();
    lib.controller_count = 0;

    plat::reg_key scsi_key;
    if (const std::uint32_t rc = scsi_key.open(SCSI_KEY_NAME, plat::reg_access::read); rc != plat::ERR_SUCCESS) {
        registry_failed(__LINE__, rc, "RegOpenKey,HKEY_LOCAL_MACHINE, SCSI_KEY_NAME");
        return false;
    }

    for (std::uint32_t index = 0; lib.controller_count < MAX_CONTROLLERS; ++index) {
        char subkey_name[NAME_CHARS] = {};
        const std::uint32_t rc = scsi_key.enum_subkey(index, subkey_name, NAME_CHARS);
        if (rc == plat::ERR_NO_MORE_ITEMS) {
            debug_log::line(debug_log::LEVEL_TRACE, "initContData\t: RegEnumKeyEx,ScsiKey, NO_MORE_ITEMS \n");
            break;
        }
        if (rc != plat::ERR_SUCCESS) {
            registry_failed(__LINE__, rc, "RegEnumKeyEx,ScsiKey,index");
            continue;
        }
        plat::reg_key port_key;
        const std::string port_path = std::string(SCSI_KEY_NAME) + "\\" + subkey_name;
        if (const std::uint32_t open_rc = port_key.open(port_path, plat::reg_access::read);
            open_rc != plat::ERR_SUCCESS) {
            registry_failed(__LINE__, open_rc, "RegEnumKeyEx, ScsiPortName");
            continue;
        }
        (void)probe_port(port_key, subkey_name);
    }

    // Slots past the new count no longer name an adapter: a later request for
    // one of them must not reach a port found by an earlier scan.
    for (int slot = lib.controller_count; slot < MAX_CONTROLLERS; ++slot) lib.slots[slot].state = SLOT_EMPTY;
    lib.initialized = true;
    return true;
}

} // namespace zan
