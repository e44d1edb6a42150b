// The two dumps the service saves under DumpDir: the stored dump an adapter
// offers at start-up (GET_DUMP_INFO, GET_DUMP_DATA) and the panic dump read
// from adapter memory after a firmware panic (READ BUFFER).
#ifndef ZAN_SERVICE_DUMP_H
#define ZAN_SERVICE_DUMP_H

#include <cstdint>
#include <span>

#include "plat/device.h"

namespace zan {

inline constexpr std::uint32_t DUMP_PIECE_BYTES = 512;
inline constexpr std::uint32_t PANIC_DUMP_ADDRESS = 0xF00000;
inline constexpr std::uint32_t PANIC_DUMP_BYTES = 0x100000;

// Dump status of GET_DUMP_INFO: a stored dump ready to be read; 0 and 2 say
// there is nothing to save, every other value is invalid.
inline constexpr std::uint8_t DUMP_READY = 1;

// The 512-byte pieces a stored dump of `size` bytes is read in: its file is
// that many times 512 bytes.
std::uint64_t dump_pieces(std::uint32_t size);

// The adapter a dump is read from.
struct dump_adapter {
    plat::device& port;
    std::uint8_t controller; // controller number, the first byte of every request
    std::uint8_t index;      // adapter index of the reports
};

// Acts on the dump information (the 276-byte answer of GET_DUMP_INFO).
void save_stored_dump(const dump_adapter& a, std::span<const std::uint8_t> dump_info);

// Saves 1 MiB of adapter memory from PANIC_DUMP_ADDRESS.
void save_panic_dump(const dump_adapter& a);

} // namespace zan

#endif
