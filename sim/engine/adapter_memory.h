// The adapter's memory as the diagnostic tools read it, and the stored dump
// the firmware keeps for the monitoring service. Both hold a pattern a test
// can check without the simulator: every 32-bit word (little-endian) holds
// its own address, or its own offset in the dump.
#ifndef SIM_ENGINE_ADAPTER_MEMORY_H
#define SIM_ENGINE_ADAPTER_MEMORY_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "model.h"

namespace sim {

// READ BUFFER mode 2 (data), buffer id 7: a 16 MiB window of adapter memory,
// the firmware trace area (0xC00000-0xC1FFFF) and the panic dump area
// (0xF00000-0xFFFFFF) among it.
inline constexpr std::uint8_t ADAPTER_MEMORY_MODE = 0x02;
inline constexpr std::uint8_t ADAPTER_MEMORY_ID = 0x07;
inline constexpr std::size_t ADAPTER_MEMORY_SIZE = std::size_t{16} << 20;

// Copies `out.size()` bytes of adapter memory from address `offset`.
void read_adapter_memory(const adapter& a, std::size_t offset, std::span<std::uint8_t> out);

// Dump status values of GET_DUMP_INFO.
inline constexpr std::uint32_t DUMP_NONE = 0;
inline constexpr std::uint32_t DUMP_READY = 1;
inline constexpr std::uint32_t DUMP_COLLECTED = 2;

// GET_DUMP_INFO: byte 0 the controller id; the size in bytes 164-167, the
// status in byte 171.
std::uint16_t get_dump_info(adapter& a, std::span<std::uint8_t> record);

// GET_DUMP_DATA: byte 0 the controller id, bytes 4-7 a byte offset inside
// the stored dump; 512 bytes of it in bytes 10-521 (zeros past its end).
// The piece that reaches the end marks a ready dump collected.
std::uint16_t get_dump_data(adapter& a, std::span<std::uint8_t> record);

} // namespace sim

#endif
