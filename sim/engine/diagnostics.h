// Diagnostic data the firmware hands out: its NVRAM image and each drive's
// SMART data, thresholds and status, all derived from the model.
#ifndef SIM_ENGINE_DIAGNOSTICS_H
#define SIM_ENGINE_DIAGNOSTICS_H

#include <array>
#include <cstdint>

#include "model.h"
#include "zandllctl.h"

namespace sim {

using nvram_image = std::array<std::uint8_t, zan::NVRAM_SIZE>;
using smart_block = std::array<std::uint8_t, zan::SMART_DATA_SIZE>;

// The configuration the adapter keeps in NVRAM: a header with the settings,
// then one record per logical drive and per drive slot.
nvram_image build_nvram(const adapter& a);

// SMART attribute values and thresholds in the ATA layout: a revision word,
// 30 entries of 12 bytes, and a checksum byte that makes the block sum zero.
smart_block build_smart_data(const adapter& a, std::uint32_t hdd);
smart_block build_smart_thresholds();

// A drive's bad-spot list as READ BUFFER (mode 1, buffer id 0xE0) hands it
// out, one block per drive slot at drive x 512: byte 1 the state (0 none, 1
// listed, 3 more than the list holds), bytes 4-7 the count big-endian, then
// from byte 24 up to 16 entries of 16 bytes (byte 0 non-zero: valid; bytes
// 4-7 the LBA big-endian). An empty slot reads as zeros.
inline constexpr std::size_t BAD_SPOT_BLOCK_SIZE = 512;
using bad_spot_block = std::array<std::uint8_t, BAD_SPOT_BLOCK_SIZE>;
bad_spot_block build_bad_spot_block(const adapter& a, std::uint32_t hdd);

// SMART status: 0 while no attribute has crossed its threshold, 1 after.
inline constexpr std::uint8_t SMART_STATUS_GOOD = 0;
inline constexpr std::uint8_t SMART_STATUS_EXCEEDED = 1;
std::uint8_t smart_status(const adapter& a, std::uint32_t hdd);

} // namespace sim

#endif
