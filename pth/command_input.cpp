#include "command_input.h"

#include "checks.h"
#include "numbers.h"

namespace pth {

namespace {

std::optional<int> number(std::string_view text, radix base)
{
    if (base == radix::decimal)
        return static_cast<int>(parse_decimal(text));
    const auto value = parse_hex(text);
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

} // namespace

std::optional<pass_target> checked_target(std::string_view controller_text, std::string_view drive_text,
                                          bool physical, radix controller_base)
{
    const auto controller = number(controller_text, controller_base);
    if (!controller)
        return std::nullopt;
    const auto drive = number(drive_text, radix::hex);
    if (physical && drive && !physical_drive_in_range(*drive))
        return std::nullopt;
    if (!check_controller(*controller) || !drive)
        return std::nullopt;
    const bool passed = physical ? check_physical_drive(*controller, *drive) : check_logical_drive(*controller);
    if (!passed)
        return std::nullopt;
    return pass_target{physical, *controller, *drive};
}

std::optional<std::uint32_t> address_field(std::string_view text)
{
    return parse_hex(text.substr(0, 8));
}

std::array<std::uint8_t, 10> block_command(std::uint8_t operation, std::uint32_t lba, std::uint16_t blocks)
{
    std::array<std::uint8_t, 10> cdb{};
    cdb[0] = operation;
    put_be(std::span(cdb).subspan(2, 4), lba);
    put_be(std::span(cdb).subspan(7, 2), blocks);
    return cdb;
}

block_io block_io_of(std::uint8_t operation)
{
    if (operation == op_write10)
        return {zan::ZANPAS_DATA_OUT, "ZanPasWriteExtend", call_shape::write};
    return {zan::ZANPAS_DATA_IN, "ZanPasReadExtend", call_shape::read};
}

bool block_transfer(const pass_caller& caller, const pass_target& target, std::uint8_t operation, std::uint32_t lba,
                    std::span<std::uint8_t> data, bool show_cdb, bool lookup_by_call)
{
    const block_io io = block_io_of(operation);
    const auto cdb = block_command(operation, lba, static_cast<std::uint16_t>(data.size() / block_bytes));
    zan::ZanPasRequest request = build_request(target, io.direction, cdb);
    auto length = static_cast<std::uint32_t>(data.size());
    return caller.call(io.function, io.shape, request, data, length, show_cdb, lookup_by_call);
}

} // namespace pth
