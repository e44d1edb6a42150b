// The library's table of discovered adapters and its process-wide state.
#ifndef ZAN_CONTROLLER_TABLE_H
#define ZAN_CONTROLLER_TABLE_H

#include <cstdint>

#include "plat/sync.h"
#include "scsi_ports.h"
#include "zandllctl.h"

namespace zan {

inline constexpr std::uint8_t SLOT_EMPTY = 0xFF;
inline constexpr std::uint8_t SLOT_PRESENT = 0;
inline constexpr int DEVICE_PATH_CHARS = PORT_DEVICE_PATH_CHARS;

struct controller_slot {
    std::uint8_t controller_id;
    std::uint8_t port_number;
    std::uint8_t driver_kind;
    std::uint8_t state;
    char device_path[DEVICE_PATH_CHARS];
};

struct library_state {
    controller_slot slots[MAX_CONTROLLERS];
    std::uint8_t controller_count;
    bool initialized;
    plat::named_mutex exclusive_mutex; // ZAN_DLL_ExclusiveObj while held
};

library_state& library();

// Zeroes a slot and marks it empty: it names no port any more.
void empty_slot(controller_slot& slot);

// Empties every slot and clears the count and the initialized flag (library
// load, and the start of every scan).
void reset_controller_table();

// The slot of a controller number, or nullptr when the number is 4 or more.
controller_slot* find_slot(std::uint8_t controller);

} // namespace zan

#endif
