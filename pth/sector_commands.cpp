// One-sector reads and writes of physical and logical drives, the sector
// saved to a file, and the two-stripe reads and writes of a logical drive.
#include <string>
#include <vector>

#include "command_input.h"
#include "tool_commands.h"
#include "hex_dump.h"
#include "tool_messages.h"
#include "tool_output.h"
#include "param_file.h"
#include "numbers.h"
#include "plat/error.h"
#include "plat/file.h"

namespace pth {

namespace {

constexpr std::uint8_t test_byte = 0x5A;
constexpr std::uint32_t stripe_blocks = 128;
constexpr std::uint32_t stripe_bytes = stripe_blocks * block_bytes;

// The controller, drive and address of a command, checked in that order.
struct sector_place {
    pass_target target;
    std::uint32_t lba;
};

std::optional<sector_place> sector_arguments(command_args args, bool physical, radix controller_base = radix::hex)
{
    const auto target = checked_target(args[1], args[2], physical, controller_base);
    if (!target)
        return std::nullopt;
    const auto lba = address_field(args[3]);
    if (!lba)
        return std::nullopt;
    return sector_place{*target, *lba};
}

void print_heading(const sector_place& place, const char* address_end)
{
    putf(msg::controller_line, place.target.controller);
    putf(place.target.physical ? msg::physical_drive_line : msg::logical_drive_line, place.target.drive);
    putf("Logical Block Address : 0x%08X%s", place.lba, address_end);
}

bool read_sector(const pass_caller& caller, const sector_place& place, std::vector<std::uint8_t>& block,
                 bool lookup_by_call = false)
{
    if (!block_transfer(caller, place.target, op_read10, place.lba, block, true, lookup_by_call))
        return false;
    print_dump("Read Command(1 Sector)", block, 0, block_bytes);
    put("\n");
    return true;
}

void sector_read(const pass_caller& caller, command_args args, bool physical)
{
    const auto place = sector_arguments(args, physical);
    if (!place)
        return;
    print_heading(*place, "\n\n");
    std::vector<std::uint8_t> block(block_bytes, 0);
    (void)read_sector(caller, *place, block);
}

void sector_write(const pass_caller& caller, command_args args, bool physical)
{
    const auto place = sector_arguments(args, physical);
    if (!place)
        return;
    print_heading(*place, "\n");
    std::vector<std::uint8_t> block(block_bytes, test_byte);
    (void)block_transfer(caller, place->target, op_write10, place->lba, block);
}

// Two READ(10) of one stripe each, dumped as one numbered sequence.
void read_stripes(const pass_caller& caller, const sector_place& place)
{
    std::vector<std::uint8_t> data(stripe_bytes, 0);
    std::uint32_t line = 0;
    for (std::uint32_t stripe = 0; stripe < 2; ++stripe) {
        if (!block_transfer(caller, place.target, op_read10, place.lba + stripe * stripe_blocks, data, stripe == 0))
            return;
        line = print_dump("Read Command(1 Stripe)", data, line, 2 * stripe_bytes);
    }
    put("\n");
}

void write_stripes(const pass_caller& caller, const sector_place& place, int data_drives)
{
    putf("DataHDD : %d\n\n", data_drives);
    std::vector<std::uint8_t> data(stripe_bytes, test_byte);
    for (std::uint32_t stripe = 0; stripe < 2; ++stripe) {
        if (!block_transfer(caller, place.target, op_write10, place.lba + stripe * stripe_blocks, data, stripe == 0))
            return;
    }
}

// Fields 1 to 3 of an "R" or "W" file, printed once they passed.
std::optional<sector_place> stripe_file_fields(const std::vector<std::string>& fields)
{
    const auto controller_text = field(fields, 1, "Controller No");
    const auto drive_text = controller_text ? field(fields, 2, "Drive No") : std::nullopt;
    if (!drive_text)
        return std::nullopt;
    const auto target = checked_target(*controller_text, *drive_text, false);
    if (!target)
        return std::nullopt;
    putf(msg::controller_line, target->controller);
    putf(msg::logical_drive_line, target->drive);
    const auto lba_text = field(fields, 3, "Address");
    if (!lba_text)
        return std::nullopt;
    const auto lba = address_field(*lba_text);
    if (!lba)
        return std::nullopt;
    putf(msg::address_line, *lba);
    return sector_place{*target, *lba};
}

} // namespace

void pd_sector_read(const pass_caller& caller, command_args args)
{
    sector_read(caller, args, true);
}

void ld_sector_read(const pass_caller& caller, command_args args)
{
    sector_read(caller, args, false);
}

void pd_sector_write(const pass_caller& caller, command_args args)
{
    sector_write(caller, args, true);
}

void ld_sector_write(const pass_caller& caller, command_args args)
{
    sector_write(caller, args, false);
}

void sector_save(const pass_caller& caller, command_args args)
{
    const auto place = sector_arguments(args, true);
    if (!place)
        return;
    print_heading(*place, "\n");
    const std::string name = std::string(args[4]).substr(0, plat::max_full_path_chars - 1);
    putf("Save FileName:%s\n\n", name.c_str());
    std::string path;
    if (!plat::full_path_name(name.c_str(), path)) {
        putf(msg::call_failed, "_fullpath", plat::system_message(plat::last_error()).c_str());
        abnormal_end();
        return;
    }
    std::vector<std::uint8_t> block(block_bytes, 0);
    if (!read_sector(caller, *place, block, true))
        return;
    plat::file saved;
    if (!saved.create_replace_exclusive(path.c_str()) || !saved.write(block.data(), block.size()) ||
        !saved.close_checked()) {
        putf(msg::saved_file_open, static_cast<int>(plat::last_error()));
        abnormal_end();
    }
}

void stripe_read(const pass_caller& caller, command_args args)
{
    const auto place = sector_arguments(args, false, radix::decimal);
    if (!place)
        return;
    print_heading(*place, "\n\n");
    read_stripes(caller, *place);
}

void stripe_write(const pass_caller& caller, command_args args)
{
    const auto place = sector_arguments(args, false, radix::decimal);
    if (!place)
        return;
    print_heading(*place, "\n");
    write_stripes(caller, *place, static_cast<int>(parse_decimal(args[4])));
}

void stripe_read_file(const pass_caller& caller, command_args args)
{
    const auto fields = read_param_file(args[1], param_line_limit);
    if (!fields)
        return;
    const auto place = stripe_file_fields(*fields);
    if (!place)
        return;
    put("\n");
    read_stripes(caller, *place);
}

void stripe_write_file(const pass_caller& caller, command_args args)
{
    const auto fields = read_param_file(args[1], param_line_limit);
    if (!fields)
        return;
    const auto place = stripe_file_fields(*fields);
    if (!place)
        return;
    const auto count_text = field(*fields, 4, "DataHDD");
    if (!count_text)
        return;
    write_stripes(caller, *place, static_cast<int>(parse_decimal(*count_text)));
}

} // namespace pth
