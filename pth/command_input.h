// What the commands share: numbers from arguments and fields checked against
// the adapter, the heading lines, and the block commands they send.
#ifndef PTH_COMMAND_INPUT_H
#define PTH_COMMAND_INPUT_H

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "pass_call.h"

namespace pth {

enum class radix { hex, decimal };

// A controller and a physical or logical drive that pass their checks. A
// physical-drive number of 8 or more is refused before the adapter is asked.
std::optional<pass_target> checked_target(std::string_view controller_text, std::string_view drive_text,
                                          bool physical, radix controller_base = radix::hex);
// A block address: the first 8 characters, hexadecimal.
std::optional<std::uint32_t> address_field(std::string_view text);

// READ(10) / WRITE(10) of `blocks` blocks at `lba`.
inline constexpr std::uint8_t op_read10 = 0x28;
inline constexpr std::uint8_t op_write10 = 0x2A;
std::array<std::uint8_t, 10> block_command(std::uint8_t operation, std::uint32_t lba, std::uint16_t blocks);

// The direction of a command with data, and the pass-through function and
// call shape that carry a READ(10) or WRITE(10).
struct block_io {
    std::uint8_t direction;
    const char* function;
    call_shape shape;
};
block_io block_io_of(std::uint8_t operation);

// Sends a READ(10) or WRITE(10) of `data.size()` bytes to `target`.
[[nodiscard]] bool block_transfer(const pass_caller& caller, const pass_target& target, std::uint8_t operation,
                                  std::uint32_t lba, std::span<std::uint8_t> data, bool show_cdb = true,
                                  bool lookup_by_call = false);

} // namespace pth

#endif
