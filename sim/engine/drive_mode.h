// A drive's mode parameters: its capacity as the block descriptor gives it,
// and the mode pages it keeps (defaults, what MODE SELECT may change, the
// copies it changed). MODE SENSE(6) and MODE SELECT(6) answer from here.
#ifndef SIM_ENGINE_DRIVE_MODE_H
#define SIM_ENGINE_DRIVE_MODE_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model.h"

namespace sim {

// The blocks the drive presents now, and the most it can present (its size
// as made).
std::uint64_t drive_blocks(const physical_drive& d);
std::uint64_t drive_full_blocks(const physical_drive& d);

// A capacity change: `blocks` is the block descriptor's number of blocks.
// 0 keeps the capacity, 0xFFFFFFFF gives back the whole drive, anything up
// to the whole drive becomes its capacity (the adapter sees it in whole MiB).
// False, with nothing changed, for more blocks than the drive has.
[[nodiscard]] bool set_drive_capacity(physical_drive& d, std::uint32_t blocks);

// Empty when `page` (page code, page length, parameters) is a whole page the
// drive keeps, else why not.
[[nodiscard]] std::string check_drive_mode_page(std::span<const std::uint8_t> page);

// Stores a checked page; a page equal to its default drops the changed copy.
void store_drive_mode_page(physical_drive& d, std::span<const std::uint8_t> page);

// MODE SENSE(6): the answer before the allocation length cuts it, or the
// additional sense code of the refusal (an unknown page or subpage, 0x24).
struct mode_answer {
    std::vector<std::uint8_t> data;
    std::uint8_t refusal = 0;
};
mode_answer drive_mode_sense(const physical_drive& d, std::span<const std::uint8_t> cdb);

// MODE SELECT(6) with the parameter list `list` (the CDB's parameter list
// length, already checked against what the host sent): 0 when taken whole,
// else the additional sense code of the refusal (0x1A a page or descriptor
// cut short, 0x26 a field the drive does not take). A refused list changes
// nothing.
[[nodiscard]] std::uint8_t drive_mode_select(physical_drive& d, std::span<const std::uint8_t> list);

} // namespace sim

#endif
