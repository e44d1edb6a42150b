// "P" and "ANY": raw drive commands from a parameter file.
#include <algorithm>
#include <string>
#include <vector>

#include "checks.h"
#include "command_input.h"
#include "tool_commands.h"
#include "hex_dump.h"
#include "tool_messages.h"
#include "numbers.h"
#include "tool_output.h"
#include "param_file.h"
#include "raw_input.h"
#include "transfer_plan.h"

namespace pth {

namespace {

constexpr std::size_t max_command_bytes = 14;
constexpr std::uint8_t op_read_capacity = 0x25;
constexpr std::uint32_t read_capacity_bytes = 8;

bool refuse(const char* what)
{
    putf(msg::illegal_parameter, what);
    abnormal_end();
    return false;
}

// A hexadecimal field that must be readable; ZAN0022-E names it when not.
std::optional<std::uint32_t> required_hex(const std::vector<std::string>& fields, std::size_t number,
                                          const char* what)
{
    const auto text = field(fields, number, what);
    if (!text)
        return std::nullopt;
    const auto value = parse_hex(*text);
    if (!value)
        refuse(what);
    return value;
}

std::optional<std::vector<std::uint8_t>> command_field(const std::vector<std::string>& fields, std::size_t number)
{
    const auto text = field(fields, number, "CDB");
    if (!text)
        return std::nullopt;
    auto cdb = parse_hex_bytes(*text, max_command_bytes);
    if (!cdb)
        refuse("CDB");
    return cdb;
}

std::optional<std::uint8_t> direction_field(const std::vector<std::string>& fields, std::size_t number)
{
    const auto value = required_hex(fields, number, "Direction");
    if (!value)
        return std::nullopt;
    if (*value > 1) {
        refuse("Direction");
        return std::nullopt;
    }
    return *value == 0 ? zan::ZANPAS_DATA_IN : zan::ZANPAS_DATA_OUT;
}

// Controller and physical drive of fields `controller_at` and `drive_at`.
std::optional<pass_target> drive_fields(const std::vector<std::string>& fields, std::size_t controller_at,
                                        std::size_t drive_at)
{
    const auto controller = required_hex(fields, controller_at, "Controller No");
    const auto drive = controller ? required_hex(fields, drive_at, "Drive No") : std::nullopt;
    if (!drive || !physical_drive_in_range(static_cast<int>(*drive)) || !check_controller(static_cast<int>(*controller)))
        return std::nullopt;
    if (!check_physical_drive(static_cast<int>(*controller), static_cast<int>(*drive)))
        return std::nullopt;
    return pass_target{true, static_cast<int>(*controller), static_cast<int>(*drive)};
}

} // namespace

std::optional<any_data> any_write_data(const std::vector<std::string>& fields, std::uint32_t length, bool repeat)
{
    std::vector<std::uint8_t> given;
    for (std::size_t number = 7; number <= fields.size() && given.size() < length; ++number) {
        const auto bytes = parse_hex_bytes(fields[number - 1], fields[number - 1].size());
        if (!bytes)
            return std::nullopt;
        given.insert(given.end(), bytes->begin(), bytes->end());
    }
    any_data data{std::vector<std::uint8_t>(length, 0), !given.empty()};
    if (given.empty())
        return data;
    for (std::size_t at = 0; at < length; ++at) {
        if (at >= given.size() && !repeat)
            break;
        data.bytes[at] = given[at % given.size()];
    }
    return data;
}

std::optional<std::uint32_t> any_length(std::uint32_t given, std::uint8_t operation)
{
    if (operation == op_read_capacity)
        return read_capacity_bytes;
    if (given > max_buffer_bytes)
        return std::nullopt;
    return given;
}

void raw_command(const pass_caller& caller, command_args args)
{
    const auto fields = read_param_file(args[1], param_line_limit);
    if (!fields)
        return;
    const auto target = drive_fields(*fields, 1, 3);
    if (!target)
        return;
    const auto cdb = command_field(*fields, 4);
    if (!cdb)
        return;
    const auto direction = direction_field(*fields, 5);
    if (!direction)
        return;
    const transfer_plan plan = plan_transfer(*cdb);
    if (plan.total_bytes > max_raw_transfer) {
        refuse("Data Length");
        return;
    }
    if (!pieces_fit(plan)) {
        refuse("CDB");
        return;
    }
    auto buffer = data_buffer(plan.total_bytes);
    if (!buffer)
        return;
    const bool reading = *direction == zan::ZANPAS_DATA_IN;
    std::uint32_t line = 0;
    for (std::uint32_t offset = 0; offset < plan.total_bytes; offset += max_buffer_bytes) {
        std::uint32_t length = std::min(max_buffer_bytes, plan.total_bytes - offset);
        const auto piece = piece_command(*cdb, plan, offset, length);
        zan::ZanPasRequest request = build_request(*target, *direction, piece);
        std::fill(buffer->begin(), buffer->end(), std::uint8_t{0});
        if (!caller.call("ZanPasAnyCommand", call_shape::read, request, *buffer, length, offset == 0))
            return;
        if (reading)
            line = print_dump("Command Result", std::span(*buffer).first(std::min<std::size_t>(length, buffer->size())),
                              line, plan.total_bytes);
    }
    if (reading)
        put("\n");
}

void any_command(const pass_caller& caller, command_args args)
{
    const auto fields = read_param_file(args[1], any_line_limit);
    if (!fields)
        return;
    const auto target = drive_fields(*fields, 1, 2);
    if (!target)
        return;
    putf("Physical Drive No.%d\n\n", target->drive);
    const auto cdb = command_field(*fields, 3);
    if (!cdb)
        return;
    const auto direction = direction_field(*fields, 4);
    if (!direction)
        return;
    const auto given_length = required_hex(*fields, 5, "Data Length");
    if (!given_length)
        return;
    const auto length = any_length(*given_length, (*cdb)[0]);
    if (!length) {
        put(msg::data_too_long);
        refuse("Data Length");
        return;
    }
    auto buffer = data_buffer(*length);
    if (!buffer)
        return;
    const bool reading = *direction == zan::ZANPAS_DATA_IN;
    if (!reading) {
        const auto repeat_text = field(*fields, 6, "Repeat");
        if (!repeat_text)
            return;
        const bool repeat = parse_decimal(*repeat_text) == 1;
        const auto data = any_write_data(*fields, *length, repeat);
        if (!data) {
            refuse("Write Data");
            return;
        }
        if (repeat && !data->given)
            return;
        *buffer = data->bytes;
    }
    zan::ZanPasRequest request = build_request(*target, *direction, *cdb);
    std::uint32_t moved = *length;
    if (!caller.call("ZanPasAnyCommand", call_shape::read, request, *buffer, moved))
        return;
    if (reading) {
        const std::size_t shown = std::min<std::size_t>(moved, buffer->size());
        print_dump("Command Result", std::span(*buffer).first(shown), 0, static_cast<std::uint32_t>(shown));
        put("\n");
    }
}

} // namespace pth
