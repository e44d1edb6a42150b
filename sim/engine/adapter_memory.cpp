#include "adapter_memory.h"

#include <algorithm>

#include "answers.h"
#include "zanbytes.h"
#include "zanioctl.h"

namespace sim {

namespace {

constexpr std::size_t DUMP_SIZE_AT = 164;
constexpr std::size_t DUMP_STATUS_AT = 171;
constexpr std::size_t DUMP_OFFSET_AT = 4;
constexpr std::size_t DUMP_DATA_AT = 10;
constexpr std::size_t DUMP_PIECE = 512;

// Bytes `offset`.. of a space whose every 32-bit word holds its own address.
void address_pattern(std::size_t offset, std::span<std::uint8_t> out)
{
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t at = offset + i;
        out[i] = static_cast<std::uint8_t>((at & ~std::size_t{3}) >> (8 * (at & 3)));
    }
}

} // namespace

void read_adapter_memory(const adapter&, std::size_t offset, std::span<std::uint8_t> out)
{
    address_pattern(offset, out);
}

std::uint16_t get_dump_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    std::fill(record.begin() + 1, record.end(), 0);
    zan::store_le32(record.data() + DUMP_SIZE_AT, a.dump_size);
    record[DUMP_STATUS_AT] = static_cast<std::uint8_t>(a.dump_status);
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_dump_data(adapter& a, std::span<std::uint8_t> record)
{
    const std::uint32_t offset = zan::load_le32(record.data() + DUMP_OFFSET_AT);
    if (!addressed_here(a, record) || offset >= a.dump_size) return zan::IOC_STATUS_INVALID_PARAM;
    const std::span<std::uint8_t> piece = record.subspan(DUMP_DATA_AT, DUMP_PIECE);
    std::fill(piece.begin(), piece.end(), 0);
    address_pattern(offset, piece.first(std::min<std::size_t>(DUMP_PIECE, a.dump_size - offset)));
    if (a.dump_status == DUMP_READY && a.dump_size - offset <= DUMP_PIECE) a.dump_status = DUMP_COLLECTED;
    return zan::IOC_STATUS_GOOD;
}

} // namespace sim
