// The firmware's answers to the control codes, grouped by family; the table
// in dispatch.cpp maps each modelled code to one of them. Each takes the
// request record (updated in place with the answer) and returns the status
// word.
#ifndef SIM_ENGINE_ANSWERS_H
#define SIM_ENGINE_ANSWERS_H

#include <cstdint>
#include <span>

#include "model.h"

namespace sim {

using answer = std::uint16_t (*)(adapter&, std::span<std::uint8_t>);

// Addressed records carry the adapter's controller id in byte 0.
inline bool addressed_here(const adapter& a, std::span<const std::uint8_t> record)
{
    return record[0] == a.controller_id;
}

// Configuration (config.cpp).
std::uint16_t create_logical_disk(adapter& a, std::span<std::uint8_t> record);
std::uint16_t config_logical_disk(adapter& a, std::span<std::uint8_t> record);
std::uint16_t config_controller(adapter& a, std::span<std::uint8_t> record);
std::uint16_t config_hot_spare(adapter& a, std::span<std::uint8_t> record);
std::uint16_t config_hdd_status(adapter& a, std::span<std::uint8_t> record);
std::uint16_t get_glist_info(adapter& a, std::span<std::uint8_t> record);
std::uint16_t set_glist_info(adapter& a, std::span<std::uint8_t> record);
// Starts and stops rebuilds, consistency checks and parity making.
std::uint16_t config_fault_recovery(adapter& a, std::span<std::uint8_t> record);

// Restore candidates (restore.cpp).
std::uint16_t get_restore_status(adapter& a, std::span<std::uint8_t> record);
std::uint16_t get_restore_logical_disk_info(adapter& a, std::span<std::uint8_t> record);
std::uint16_t config_restore(adapter& a, std::span<std::uint8_t> record);

// SCSI commands the driver carries to the adapter (scsi.cpp).
std::uint16_t scsi_read_buffer(adapter& a, std::span<std::uint8_t> record);
std::uint16_t scsi_mode_select(adapter& a, std::span<std::uint8_t> record);
std::uint16_t scsi_mode_sense(adapter& a, std::span<std::uint8_t> record);
// Firmware download into the flash ROM (flash.cpp).
std::uint16_t scsi_write_buffer(adapter& a, std::span<std::uint8_t> record);

} // namespace sim

#endif
