// How much a raw drive command moves, where it starts, and the command of
// each piece of at most 65,536 bytes that carries it.
#ifndef PTH_TRANSFER_PLAN_H
#define PTH_TRANSFER_PLAN_H

#include <cstdint>
#include <span>
#include <vector>

namespace pth {

inline constexpr std::uint32_t max_raw_transfer = 0x200000;

// Which fields a piece rewrites: the 6- and 10-byte block commands and the
// buffer commands carry the piece's address and length, others go unchanged.
enum class piece_fields { none, block6, block10, buffer };

struct transfer_plan {
    std::uint32_t total_bytes = 0;
    std::uint32_t address = 0;     // blocks for block commands, bytes for buffer commands
    bool in_blocks = false;        // the length field counts 512-byte blocks
    piece_fields fields = piece_fields::none;
};

transfer_plan plan_transfer(std::span<const std::uint8_t> cdb);

// Whether every piece's starting address fits the command's address field
// (21 bits for 6-byte block commands, 32 for 10-byte ones, 24 for buffer
// offsets). A piece past it would wrap round to the start of the drive.
bool pieces_fit(const transfer_plan& plan);

// The command of the piece `offset` bytes into the transfer, `bytes` long.
// A read-buffer command whose mode is not 2 keeps its offset.
std::vector<std::uint8_t> piece_command(std::span<const std::uint8_t> cdb, const transfer_plan& plan,
                                        std::uint32_t offset, std::uint32_t bytes);

} // namespace pth

#endif
