#include "scsi_ports.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "plat/error.h"
#include "plat/registry.h"

namespace zan {
namespace {

// Reads the driver of one port key; `accepted` tells whether the table takes
// it, and then `port` describes it. Returns the error of the value read.
[[nodiscard]] std::uint32_t read_port(const plat::reg_key& port_key, const char* subkey_name,
                                      std::span<const driver_kind_entry> drivers, scsi_port& port, bool& accepted)
{
    char driver[REGISTRY_NAME_CHARS + 1] = {};
    std::uint32_t type = 0;
    std::uint32_t size = REGISTRY_NAME_CHARS;
    accepted = false;
    if (const std::uint32_t rc = port_key.query_value(DRIVER_VALUE_NAME, type, driver, size); rc != plat::ERR_SUCCESS) {
        return rc;
    }
    const driver_kind_entry* kind = find_driver_kind(driver, drivers);
    if (kind == nullptr) return plat::ERR_SUCCESS;

    const std::string port_text(port_number_text(subkey_name));
    port.driver_kind = kind->kind;
    std::snprintf(port.device_path, sizeof port.device_path, "\\\\.\\Scsi%s:", port_text.c_str());
    port.number = static_cast<std::uint8_t>(std::strtoul(port_text.c_str(), nullptr, 10));
    accepted = true;
    return plat::ERR_SUCCESS;
}

} // namespace

port_walk_result walk_scsi_ports(std::span<const driver_kind_entry> drivers, const port_walk_visitor& visitor)
{
    plat::reg_key scsi_key;
    if (const std::uint32_t rc = scsi_key.open(SCSI_KEY_NAME, plat::reg_access::read); rc != plat::ERR_SUCCESS) {
        return {port_walk_end::no_scsi_key, rc};
    }
    for (std::uint32_t index = 0;; ++index) {
        char subkey_name[REGISTRY_NAME_CHARS] = {};
        const std::uint32_t rc = scsi_key.enum_subkey(index, subkey_name, REGISTRY_NAME_CHARS);
        if (rc == plat::ERR_NO_MORE_ITEMS) return {port_walk_end::end_of_list, plat::ERR_SUCCESS};
        if (rc != plat::ERR_SUCCESS) {
            visitor.failed(port_walk_step::list_subkey, rc);
            // A name too long for the buffer spoils only its own index; any
            // other failure is the key's and would repeat at every index.
            if (rc != plat::ERR_MORE_DATA) return {port_walk_end::list_failed, rc};
            continue;
        }
        plat::reg_key port_key;
        if (const std::uint32_t open_rc = port_key.open(port_key_path(subkey_name), plat::reg_access::read);
            open_rc != plat::ERR_SUCCESS) {
            visitor.failed(port_walk_step::open_port_key, open_rc);
            continue;
        }
        scsi_port port{};
        bool accepted = false;
        if (const std::uint32_t read_rc = read_port(port_key, subkey_name, drivers, port, accepted);
            read_rc != plat::ERR_SUCCESS) {
            visitor.failed(port_walk_step::read_driver, read_rc);
            continue;
        }
        if (accepted && !visitor.accepted(port)) return {port_walk_end::stopped, plat::ERR_SUCCESS};
    }
}

} // namespace zan
