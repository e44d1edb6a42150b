// The miniport drivers whose SCSI ports carry Zan adapters, and how their
// ports are named in the registry. Shared by every program that finds the
// adapters itself and by the simulator that writes the port keys, so that
// all of them name and number the adapters alike. Header-only.
#ifndef ZANDRIVERS_H
#define ZANDRIVERS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zan {

// The key under HKEY_LOCAL_MACHINE whose subkeys are the SCSI ports, and the
// value of a port key that names its driver.
inline constexpr char SCSI_KEY_NAME[] = "HARDWARE\\DEVICEMAP\\Scsi";
inline constexpr char DRIVER_VALUE_NAME[] = "Driver";

// Longest port subkey name and driver value, in characters.
inline constexpr std::uint32_t REGISTRY_NAME_CHARS = 32;

// Port subkeys are named "Scsi Port N": the number starts at character 11.
inline constexpr char PORT_KEY_PREFIX[] = "Scsi Port ";
inline constexpr std::size_t PORT_NUMBER_AT = sizeof PORT_KEY_PREFIX - 1;
static_assert(PORT_NUMBER_AT == 10);

struct driver_kind_entry {
    const char* driver;
    std::uint8_t kind;
};

// The Driver values the library and the tools accept, compared whole and
// case-sensitively, in this order; the first match gives the driver kind.
inline constexpr driver_kind_entry DRIVER_KINDS[] = {
    {"Qvmraid", 1}, {"zandrv", 7}, {"Lynraid1", 6}, {"Plx3drv", 5}, {"Qvm1drv", 2}, {"Qvm2drv", 3},
};

// The monitoring service watches the ports of zandrv alone.
inline constexpr driver_kind_entry SERVICE_DRIVER_KINDS[] = {{"zandrv", 7}};

// The entry of an accepted driver in `table`, or nullptr for a port to pass over.
constexpr const driver_kind_entry* find_driver_kind(std::string_view driver,
                                                    std::span<const driver_kind_entry> table = DRIVER_KINDS)
{
    for (const auto& entry : table) {
        if (driver == entry.driver) return &entry;
    }
    return nullptr;
}

// The port number text of a port subkey name ("Scsi Port 12" gives "12").
constexpr std::string_view port_number_text(std::string_view subkey_name)
{
    return subkey_name.size() > PORT_NUMBER_AT ? subkey_name.substr(PORT_NUMBER_AT) : std::string_view{};
}

// The subkey name of SCSI port `port` ("Scsi Port 2").
inline std::string port_subkey_name(std::uint32_t port)
{
    return PORT_KEY_PREFIX + std::to_string(port);
}

// The registry path of a port key below HKEY_LOCAL_MACHINE.
inline std::string port_key_path(std::string_view subkey_name)
{
    return std::string(SCSI_KEY_NAME) + "\\" + std::string(subkey_name);
}

} // namespace zan

#endif
