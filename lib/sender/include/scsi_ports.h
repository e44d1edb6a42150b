// The walk of the registry's SCSI ports: every program that finds the
// adapters itself enumerates the port subkeys in registry order, reads each
// port's driver and keeps the ports whose driver its table accepts.
#ifndef ZAN_SCSI_PORTS_H
#define ZAN_SCSI_PORTS_H

#include <cstdint>
#include <functional>
#include <span>

#include "zandrivers.h"

namespace zan {

inline constexpr int PORT_DEVICE_PATH_CHARS = 64;

// A port whose driver the table accepts.
struct scsi_port {
    std::uint8_t number;                      // decimal value of the port number text
    std::uint8_t driver_kind;                 // from the driver table
    char device_path[PORT_DEVICE_PATH_CHARS]; // "\\.\Scsi" + the port number text + ":"
};

// The registry steps after which the walk goes on with the next subkey.
enum class port_walk_step {
    list_subkey,   // enumerating the subkey at an index (a name too long for the buffer)
    open_port_key, // opening a port key
    read_driver,   // reading its Driver value
};

struct port_walk_visitor {
    // An accepted port, in registry order; returning false ends the walk.
    std::function<bool(const scsi_port& port)> accepted;
    // A failed step, with the Windows error code it failed with.
    std::function<void(port_walk_step step, std::uint32_t os_error)> failed;
};

enum class port_walk_end {
    stopped,     // the visitor ended the walk
    end_of_list, // every subkey was visited
    list_failed, // the SCSI key could no longer be listed (reported as a failed list_subkey step)
    no_scsi_key, // the SCSI key could not be opened; os_error says why
};

struct port_walk_result {
    port_walk_end end;
    std::uint32_t os_error;
};

// Walks the port subkeys of SCSI_KEY_NAME from index 0, telling the visitor
// of every accepted port and of every failed step.
[[nodiscard]] port_walk_result walk_scsi_ports(std::span<const driver_kind_entry> drivers,
                                               const port_walk_visitor& visitor);

} // namespace zan

#endif
