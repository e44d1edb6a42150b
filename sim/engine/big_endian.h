// Big-endian fields at a byte offset of a raw buffer, as SCSI commands and
// the firmware's own lists and images carry them.
#ifndef SIM_ENGINE_BIG_ENDIAN_H
#define SIM_ENGINE_BIG_ENDIAN_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace sim {

constexpr std::uint32_t load_be(const std::uint8_t* p, std::size_t width)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v = (v << 8) | p[i];
    return v;
}

constexpr void store_be(std::uint8_t* p, std::size_t width, std::uint32_t v)
{
    for (std::size_t i = width; i-- > 0; v >>= 8) p[i] = static_cast<std::uint8_t>(v);
}

// The sum of the bytes, modulo 2^32: the checksum of the firmware images.
constexpr std::uint32_t byte_sum(std::span<const std::uint8_t> bytes)
{
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return sum;
}

} // namespace sim

#endif
