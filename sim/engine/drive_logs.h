// What a drive keeps for diagnosis: its internal logs (request 0xFE) and its
// LOG SENSE pages, built from the model. Contents that no model field gives
// come from a pattern of the drive's log seed, the drive, the log and the
// byte position, so that every byte a reader gets can be checked.
#ifndef SIM_ENGINE_DRIVE_LOGS_H
#define SIM_ENGINE_DRIVE_LOGS_H

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model.h"

namespace sim {

// Internal-log selectors.
inline constexpr std::uint8_t LOG_DRIVE_STATUS = 0x01;
inline constexpr std::uint8_t LOG_DRIVE_INTERNAL = 0x02;
inline constexpr std::uint8_t LOG_COMMAND = 0x04;
inline constexpr std::uint8_t LOG_CONTROLLER_INFO = 0x08;
inline constexpr std::size_t INTERNAL_LOG_HEADER = 4;

// The index of a selector in physical_drive::log_lengths, or nothing for a
// value that names no log.
std::optional<std::size_t> internal_log_index(std::uint8_t selector);

// An internal log as the drive hands it out: byte 0 the selector, bytes 1-3
// the log's length (big-endian, without this header), then the log.
// `selector` must name a log.
std::vector<std::uint8_t> internal_log(const physical_drive& d, std::uint32_t hdd, std::uint8_t selector);

// LOG SENSE page control.
inline constexpr std::uint8_t PC_CURRENT_THRESHOLD = 0;
inline constexpr std::uint8_t PC_CURRENT_CUMULATIVE = 1;
inline constexpr std::uint8_t PC_DEFAULT_THRESHOLD = 2;
inline constexpr std::uint8_t PC_DEFAULT_CUMULATIVE = 3;

inline constexpr std::uint8_t PAGE_SUPPORTED = 0x00;
inline constexpr std::uint8_t PAGE_ERROR_HISTORY = 0x31;
inline constexpr std::uint8_t PAGE_SMART = 0x32;
inline constexpr std::size_t ERROR_HISTORY_ENTRIES = 180;
inline constexpr std::size_t ERROR_HISTORY_ENTRY = 76;

// The page codes the drive keeps, in ascending order (page 0x00 lists them).
std::span<const std::uint8_t> supported_log_pages();

// A whole log page (4-byte header, then its parameters in code order) with
// the values of page control `pc`, from parameter code `first_parameter`
// on; nothing for a page the drive does not keep.
std::optional<std::vector<std::uint8_t>> log_page(const physical_drive& d, std::uint32_t hdd, std::uint8_t page,
                                                  std::uint8_t pc, std::uint16_t first_parameter = 0);

} // namespace sim

#endif
