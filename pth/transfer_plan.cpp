#include "transfer_plan.h"

#include <algorithm>
#include <initializer_list>

#include "pass_call.h"

namespace pth {

namespace {

// A field of the command: first byte and width; a width of 0 is no field.
struct cdb_field {
    std::uint8_t at;
    std::uint8_t width;
};

struct transfer_rule {
    std::initializer_list<std::uint8_t> operations;
    cdb_field address;
    cdb_field length;
    bool in_blocks;
    piece_fields fields;
    std::uint32_t fixed_bytes; // the length of commands without a length field
};

constexpr cdb_field none{0, 0};

const transfer_rule rules[] = {
    {{0x00, 0x1B, 0x1D}, none, none, false, piece_fields::none, 1},
    {{0x08, 0x0A}, {1, 3}, {4, 1}, true, piece_fields::block6, 0},
    {{0x12, 0x15, 0x1A}, none, {4, 1}, false, piece_fields::none, 0},
    {{0x1C}, none, {3, 2}, false, piece_fields::none, 0},
    {{0x28, 0x2A, 0x2E}, {2, 4}, {7, 2}, true, piece_fields::block10, 0},
    {{0x2F, 0x3E, 0x3F}, {2, 4}, {7, 2}, false, piece_fields::none, 0},
    {{0x41, 0x4C, 0x4D, 0x55, 0x5A}, none, {7, 2}, false, piece_fields::none, 0},
    {{0x3B, 0x3C}, {3, 3}, {6, 3}, false, piece_fields::buffer, 0},
    {{0xFE}, none, {6, 3}, false, piece_fields::none, 0},
    {{0x25}, none, none, false, piece_fields::none, 8},
};

// A big-endian field; bytes past the end of a short command read as 0.
std::uint32_t read_field(std::span<const std::uint8_t> cdb, cdb_field field)
{
    std::uint32_t value = 0;
    for (std::uint8_t i = 0; i < field.width; ++i)
        value = (value << 8) | (field.at + i < cdb.size() ? cdb[field.at + i] : 0u);
    return value;
}

void write_field(std::vector<std::uint8_t>& cdb, cdb_field field, std::uint32_t value)
{
    if (field.at + field.width <= cdb.size())
        put_be(std::span(cdb).subspan(field.at, field.width), value);
}

constexpr std::uint8_t op_read_buffer = 0x3C;
constexpr std::uint8_t buffer_mode_data = 2;

} // namespace

transfer_plan plan_transfer(std::span<const std::uint8_t> cdb)
{
    transfer_plan plan;
    if (cdb.empty())
        return plan;
    const auto rule = std::find_if(std::begin(rules), std::end(rules), [&](const transfer_rule& r) {
        return std::find(r.operations.begin(), r.operations.end(), cdb[0]) != r.operations.end();
    });
    if (rule == std::end(rules))
        return plan;
    std::uint32_t length = rule->length.width == 0 ? rule->fixed_bytes : read_field(cdb, rule->length);
    if (rule->fields == piece_fields::block6) {
        if (length == 0)
            length = 256;
        plan.address = read_field(cdb, rule->address) & 0x1FFFFF;
    } else {
        plan.address = read_field(cdb, rule->address);
    }
    plan.in_blocks = rule->in_blocks;
    plan.fields = rule->fields;
    plan.total_bytes = rule->in_blocks ? length * block_bytes : length;
    return plan;
}

bool pieces_fit(const transfer_plan& plan)
{
    if (plan.total_bytes == 0)
        return true;
    std::uint64_t highest = 0;
    switch (plan.fields) {
    case piece_fields::none:
        return true;
    case piece_fields::block6:
        highest = 0x1FFFFF;
        break;
    case piece_fields::block10:
        highest = 0xFFFFFFFF;
        break;
    case piece_fields::buffer:
        highest = 0xFFFFFF;
        break;
    }
    const std::uint32_t unit = plan.in_blocks ? block_bytes : 1;
    const std::uint32_t last_offset = (plan.total_bytes - 1) / max_buffer_bytes * max_buffer_bytes;
    return std::uint64_t{plan.address} + last_offset / unit <= highest;
}

std::vector<std::uint8_t> piece_command(std::span<const std::uint8_t> cdb, const transfer_plan& plan,
                                        std::uint32_t offset, std::uint32_t bytes)
{
    std::vector<std::uint8_t> piece(cdb.begin(), cdb.end());
    const std::uint32_t unit = plan.in_blocks ? block_bytes : 1;
    const std::uint32_t address = plan.address + offset / unit;
    const std::uint32_t length = bytes / unit;
    switch (plan.fields) {
    case piece_fields::none:
        break;
    case piece_fields::block6:
        write_field(piece, {4, 1}, length == 256 ? 0 : length);
        if (piece.size() > 3) {
            const std::uint8_t high_bits = piece[1] & 0xE0;
            write_field(piece, {1, 3}, address & 0x1FFFFF);
            piece[1] = static_cast<std::uint8_t>(piece[1] | high_bits);
        }
        break;
    case piece_fields::block10:
        write_field(piece, {2, 4}, address);
        write_field(piece, {7, 2}, length);
        break;
    case piece_fields::buffer:
        write_field(piece, {6, 3}, length);
        if (piece[0] != op_read_buffer || (piece.size() > 1 && (piece[1] & 0x1F) == buffer_mode_data))
            write_field(piece, {3, 3}, address);
        break;
    }
    return piece;
}

} // namespace pth
