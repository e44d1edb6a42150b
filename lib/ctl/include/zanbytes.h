// Byte-order field types for the adapter records.
//
// Every multi-byte field of a record is an array of bytes that knows its own
// byte order, so a record has alignment 1 and one layout on every target
// without packing pragmas. Records are little-endian; SCSI CDB and log
// fields are big-endian.
#ifndef ZANBYTES_H
#define ZANBYTES_H

#include <cstddef>
#include <cstdint>

namespace zan {

using u8 = std::uint8_t;

template <std::size_t N, bool Little>
struct uint_field {
    std::uint8_t b[N];

    constexpr std::uint32_t get() const
    {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < N; ++i) {
            const std::size_t at = Little ? N - 1 - i : i;
            v = (v << 8) | b[at];
        }
        return v;
    }

    constexpr void set(std::uint32_t v)
    {
        for (std::size_t i = 0; i < N; ++i) {
            const std::size_t at = Little ? i : N - 1 - i;
            b[at] = static_cast<std::uint8_t>(v & 0xFF);
            v >>= 8;
        }
    }
};

using le16 = uint_field<2, true>;
using le32 = uint_field<4, true>;
using be16 = uint_field<2, false>;
using be24 = uint_field<3, false>;
using be32 = uint_field<4, false>;

static_assert(sizeof(le16) == 2 && alignof(le16) == 1);
static_assert(sizeof(le32) == 4 && alignof(le32) == 1);
static_assert(sizeof(be24) == 3 && alignof(be24) == 1);

// Little-endian reads and writes at a byte offset of a raw buffer.
constexpr std::uint16_t load_le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint32_t load_le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr void store_le16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

constexpr void store_le32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace zan

#endif
