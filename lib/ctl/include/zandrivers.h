// The miniport drivers whose SCSI ports carry Zan adapters, and how their
// ports are named in the registry. Shared by every program that finds the
// adapters itself, so that all of them number the adapters alike.
// Header-only, for programs that link no library of the suite.
#ifndef ZANDRIVERS_H
#define ZANDRIVERS_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zan {

// The key under HKEY_LOCAL_MACHINE whose subkeys are the SCSI ports, and the
// value of a port key that names its driver.
inline constexpr char SCSI_KEY_NAME[] = "HARDWARE\\DEVICEMAP\\Scsi";
inline constexpr char DRIVER_VALUE_NAME[] = "Driver";

// Longest port subkey name and driver value, in characters.
inline constexpr std::uint32_t REGISTRY_NAME_CHARS = 32;

// Port subkeys are named "Scsi Port N": the number starts at character 11.
inline constexpr std::size_t PORT_NUMBER_AT = 10;

struct driver_kind_entry {
    const char* driver;
    std::uint8_t kind;
};

// The accepted Driver values, compared whole and case-sensitively, in this
// order; the first match gives the driver kind.
inline constexpr driver_kind_entry DRIVER_KINDS[] = {
    {"Qvmraid", 1}, {"zandrv", 7}, {"Lynraid1", 6}, {"Plx3drv", 5}, {"Qvm1drv", 2}, {"Qvm2drv", 3},
};

// The entry of an accepted driver, or nullptr for a port to pass over.
constexpr const driver_kind_entry* find_driver_kind(std::string_view driver)
{
    for (const auto& entry : DRIVER_KINDS) {
        if (driver == entry.driver) return &entry;
    }
    return nullptr;
}

// The port number text of a port subkey name ("Scsi Port 12" gives "12").
constexpr std::string_view port_number_text(std::string_view subkey_name)
{
    return subkey_name.size() > PORT_NUMBER_AT ? subkey_name.substr(PORT_NUMBER_AT) : std::string_view{};
}

} // namespace zan

#endif
