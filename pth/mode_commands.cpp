// Mode pages: printing one ("PDPrintModePage", also appended to a file),
// changing a drive's capacity through its block descriptor, and setting
// page 0x22 from a parameter file ("N").
#include <string>
#include <vector>

#include "checks.h"
#include "command_input.h"
#include "tool_commands.h"
#include "hex_dump.h"
#include "tool_messages.h"
#include "mode_page.h"
#include "numbers.h"
#include "tool_output.h"
#include "param_file.h"
#include "plat/error.h"
#include "plat/file.h"

namespace pth {

namespace {

constexpr std::uint8_t op_mode_sense6 = 0x1A;
constexpr std::uint8_t op_mode_select6 = 0x15;
constexpr std::uint8_t disable_block_descriptors = 0x08;
constexpr std::uint8_t save_pages = 0x01;
constexpr std::uint8_t page_format = 0x10;

bool mode_select(const pass_caller& caller, const pass_target& target, std::uint8_t flags,
                 std::span<std::uint8_t> list, bool lookup_by_call)
{
    const std::uint8_t cdb[] = {op_mode_select6, flags, 0, 0, static_cast<std::uint8_t>(list.size()), 0};
    zan::ZanPasRequest request = build_request(target, zan::ZANPAS_DATA_OUT, cdb);
    auto length = static_cast<std::uint32_t>(list.size());
    return caller.call("ZanPasModeSelect", call_shape::write, request, list, length, true, lookup_by_call);
}

// Appends the dump to "Cnt<controller>Dev<drive>.txt" with CR LF line ends.
void append_page_file(int controller, int drive, std::span<const std::uint8_t> page)
{
    std::string text;
    hex_dump(text, "Get HDD Mode Page", page, 0, static_cast<std::uint32_t>(page.size()), "\r\n");
    text += "\r\n";
    const std::string name = format("Cnt%dDev%d.txt", controller, drive);
    plat::file file;
    if (!file.open_append_exclusive(name.c_str()) || !file.write(text.data(), text.size()) || !file.close_checked()) {
        putf(msg::saved_file_open, static_cast<int>(plat::last_error()));
        abnormal_end();
    }
}

} // namespace

void pd_print_mode_page(const pass_caller& caller, command_args args)
{
    const auto target = checked_target(args[1], args[2], true, radix::decimal);
    const auto page = parse_hex(args[3]);
    const auto subpage = parse_hex(args[4]);
    const auto size = parse_hex(args[5]);
    if (!target || !page || !subpage || !size)
        return;
    const auto page_code = static_cast<std::uint8_t>(*page & 0x3F);
    const auto data_size = static_cast<std::uint8_t>(*size);
    putf("RAID Controller No:%d\n", target->controller);
    putf("Physical Drive No:%d\n", target->drive);
    putf("Page Code:%02x\n", page_code);
    putf("Sub Page Code:%02x\n", static_cast<std::uint8_t>(*subpage));
    putf("Data Size:%02x\n\n", data_size);
    const std::uint8_t cdb[] = {op_mode_sense6, disable_block_descriptors, page_code,
                                static_cast<std::uint8_t>(*subpage), data_size, 0};
    zan::ZanPasRequest request = build_request(*target, zan::ZANPAS_DATA_IN, cdb);
    std::vector<std::uint8_t> buffer(max_buffer_bytes, 0);
    std::uint32_t length = max_buffer_bytes;
    if (!caller.call("ZanPasModeSense", call_shape::read, request, buffer, length))
        return;
    const auto shown = std::span(buffer).first(data_size);
    print_dump("Get HDD Mode Page", shown, 0, data_size);
    put("\n");
    append_page_file(target->controller, target->drive, shown);
}

void pd_capacity_change(const pass_caller& caller, command_args args)
{
    const auto target = checked_target(args[1], args[2], true);
    const auto capacity = target ? parse_hex(args[3]) : std::nullopt;
    if (!capacity)
        return;
    if (*capacity == 0) {
        putf(msg::illegal_parameter, "Capacity");
        abnormal_end();
        return;
    }
    putf(msg::controller_line, target->controller);
    putf(msg::physical_drive_line, target->drive);
    putf("Input HDD Capacity : 0x%08X\n\n", *capacity);
    // A mode parameter header with one 8-byte block descriptor: the number of
    // blocks and the block length 512.
    std::uint8_t list[12] = {0, 0, 0, 8};
    put_be(std::span(list).subspan(4, 4), *capacity);
    put_be(std::span(list).subspan(9, 3), block_bytes);
    (void)mode_select(caller, *target, save_pages, list, false);
}

void mode_page_setting(const pass_caller& caller, command_args args)
{
    const auto fields = read_param_file(args[1], param_line_limit);
    if (!fields)
        return;
    const auto controller_text = field(*fields, 1, "Controller No");
    const auto drive_text = controller_text ? field(*fields, 2, "Drive No") : std::nullopt;
    const auto target = drive_text ? checked_target(*controller_text, *drive_text, true) : std::nullopt;
    if (!target)
        return;
    const auto save_text = field(*fields, 3, "Save");
    if (!save_text)
        return;
    const long save = parse_decimal(*save_text);
    if (save != 0 && save != 1) {
        putf(msg::illegal_parameter, "Save");
        abnormal_end();
        return;
    }
    // Fields 4 to 24 are the page's: a file that ends before them is named
    // as the others are.
    if (!field(*fields, page22_last_field, "Mode Page"))
        return;
    auto list = page22_list(*fields);
    if (!list)
        return;
    (void)mode_select(caller, *target, static_cast<std::uint8_t>(page_format | save), *list,
                      true);
}

} // namespace pth
