#include "firmware_ports.h"

#include <cstdint>
#include <string>

#include <plat/error.h>
#include <plat/registry.h>

#include "exchange.h"
#include "zandrivers.h"
#include "zanioctl.h"

namespace cli {

namespace {

// Byte 0 of the controller-information request: any controller.
constexpr std::uint8_t any_controller = 0xFF;

constexpr const zan::control_code_layout& controller_info = *zan::find_control_code(zan::IOCTL_KRAID_GET_CONTROLLER_INFO);

// The adapter behind a port counts only when it answers the same request the
// library probes its ports with; a port it passes over is passed over here.
bool answers_controller_info(plat::device& port)
{
    std::uint8_t buffer[zan::ENVELOPE_HEADER_LENGTH + controller_info.record_size] = {};
    buffer[zan::ENVELOPE_HEADER_LENGTH] = any_controller;
    zan::fill_envelope(buffer, zan::LIBRARY_SENDER, controller_info.code, controller_info.record_size);
    return zan::run_exchange(port, buffer, controller_info.status_offset, zan::LIBRARY_SENDER.rule).end ==
           zan::exchange_end::good;
}

// Opens the port of one port key into the next free slot; true when it
// carries an accepted driver and its adapter answered.
bool open_port(const plat::reg_key& port_key, const char* subkey_name, plat::device& port)
{
    char driver[zan::REGISTRY_NAME_CHARS + 1] = {};
    std::uint32_t type = 0;
    std::uint32_t size = zan::REGISTRY_NAME_CHARS;
    if (port_key.query_value(zan::DRIVER_VALUE_NAME, type, driver, size) != plat::ERR_SUCCESS) return false;
    if (zan::find_driver_kind(driver) == nullptr) return false;

    const std::string path = "\\\\.\\Scsi" + std::string(zan::port_number_text(subkey_name)) + ":";
    if (!port.open(path.c_str())) return false;
    if (answers_controller_info(port)) return true;
    port.close();
    return false;
}

} // namespace

bool open_download_ports(download_ports& ports)
{
    ports.count = 0;
    plat::reg_key scsi_key;
    if (scsi_key.open(zan::SCSI_KEY_NAME, plat::reg_access::read) == plat::ERR_SUCCESS) {
        for (std::uint32_t index = 0; ports.count < max_adapters; ++index) {
            char subkey_name[zan::REGISTRY_NAME_CHARS] = {};
            const std::uint32_t rc = scsi_key.enum_subkey(index, subkey_name, zan::REGISTRY_NAME_CHARS);
            if (rc == plat::ERR_NO_MORE_ITEMS) break;
            if (rc != plat::ERR_SUCCESS) continue;
            plat::reg_key port_key;
            if (port_key.open(std::string(zan::SCSI_KEY_NAME) + "\\" + subkey_name, plat::reg_access::read) !=
                plat::ERR_SUCCESS)
                continue;
            if (open_port(port_key, subkey_name, ports.devices[ports.count])) ++ports.count;
        }
    }
    if (ports.count > 0) return true;
    plat::set_last_error(plat::ERR_BAD_DEVICE);
    return false;
}

} // namespace cli
