// Commands on the drive's media and microcode: planting media errors with
// WRITE LONG ("E") and downloading drive firmware with WRITE BUFFER ("F").
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "checks.h"
#include "command_input.h"
#include "tool_commands.h"
#include "drive_identity.h"
#include "tool_messages.h"
#include "numbers.h"
#include "tool_output.h"
#include "param_file.h"
#include "plat/error.h"

namespace pth {

namespace {

constexpr std::uint8_t op_read_long = 0x3E;
constexpr std::uint8_t op_write_long = 0x3F;
constexpr std::uint8_t op_write_buffer = 0x3B;
constexpr std::uint8_t buffer_mode_download_save = 0x07;
constexpr std::uint32_t probe_lba = 0x00010000;
constexpr std::uint32_t max_firmware_bytes = 0xC0000;
constexpr int max_controllers = 4;

// The drive's long-block length: a READ LONG of 512 bytes, which the drive
// refuses with an incorrect-length answer whose information field tells how
// far 512 is from the real length.
std::optional<std::uint16_t> long_block_length(const pass_caller& caller, const pass_target& target)
{
    const auto cdb = block_command(op_read_long, probe_lba, block_bytes);
    zan::ZanPasRequest request = build_request(target, zan::ZANPAS_DATA_IN, cdb);
    std::vector<std::uint8_t> data(block_bytes, 0);
    std::uint32_t length = block_bytes;
    std::array<std::uint8_t, 260> detail{};
    const int result = caller.call_quiet("ZanPasReadLong", call_shape::read, request, data, length, detail);
    constexpr std::uint8_t incorrect_length = 0x20; // the ILI bit of sense byte 2
    if (result == zan::ZANPAS_SCSI_STATUS && (detail[2] & incorrect_length) != 0)
        return static_cast<std::uint16_t>(block_bytes + 256 - detail[6]);
    if (result == zan::ZANPAS_OK) {
        // A drive that reads 512 bytes long without complaint tells no length.
        put(msg::unsupported);
        abnormal_end();
    } else if (result > 0) {
        report_pass_failure(result, detail);
    }
    return std::nullopt;
}

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::optional<std::vector<std::uint8_t>> read_firmware(const char* name)
{
    const std::unique_ptr<std::FILE, file_closer> file(std::fopen(name, "rb"));
    if (!file) {
        putf(msg::firmware_file_open, errno);
        abnormal_end();
        return std::nullopt;
    }
    std::vector<std::uint8_t> image(max_firmware_bytes);
    image.resize(std::fread(image.data(), 1, image.size(), file.get()));
    if (image.empty()) {
        putf(msg::illegal_parameter, "Firmware File");
        abnormal_end();
        return std::nullopt;
    }
    return image;
}

// WRITE BUFFER pieces of at most 64 KiB, each at its offset in the image.
bool download(const pass_caller& caller, const pass_target& target, std::vector<std::uint8_t>& image)
{
    for (std::uint32_t offset = 0; offset < image.size(); offset += max_buffer_bytes) {
        const auto bytes = std::min<std::uint32_t>(max_buffer_bytes, static_cast<std::uint32_t>(image.size()) - offset);
        std::uint8_t cdb[10] = {op_write_buffer, buffer_mode_download_save, 0};
        put_be(std::span(cdb).subspan(3, 3), offset);
        put_be(std::span(cdb).subspan(6, 3), bytes);
        zan::ZanPasRequest request = build_request(target, zan::ZANPAS_DATA_OUT, cdb);
        std::uint32_t length = bytes;
        if (!caller.call("ZanPasWriteBuffer", call_shape::write, request, std::span(image).subspan(offset, bytes),
                         length, offset == 0))
            return false;
    }
    return true;
}

} // namespace

void media_errors(const pass_caller& caller, command_args args)
{
    const auto fields = read_param_file(args[1], param_line_limit);
    if (!fields)
        return;
    const auto controller = field(*fields, 1, "Controller No");
    const auto controller_number = controller ? parse_hex(*controller) : std::nullopt;
    if (!controller_number)
        return;
    putf(msg::controller_line, static_cast<int>(*controller_number));
    const auto drive_text = field(*fields, 2, "Drive No");
    if (!drive_text)
        return;
    const auto drive = parse_hex(*drive_text);
    if (!drive || !check_physical_drive(static_cast<int>(*controller_number), static_cast<int>(*drive)))
        return;
    putf(msg::physical_drive_line, static_cast<int>(*drive));
    const auto first_text = field(*fields, 3, "Address");
    const auto first = first_text ? address_field(*first_text) : std::nullopt;
    if (!first)
        return;
    putf("Media Error Address : 0x%08X\n", *first);
    const auto count_text = field(*fields, 4, "Count");
    const auto count = count_text ? parse_count(*count_text) : std::nullopt;
    if (!count)
        return;
    putf("Media Error Count : %d\n", static_cast<int>(*count));
    const auto step_text = field(*fields, 5, "Skip Count");
    const auto step = step_text ? parse_count(*step_text) : std::nullopt;
    // The last error's address must be one: past 0xFFFFFFFF the addresses
    // would wrap round to the start of the drive.
    if (!step || (*count > 0 && *first + std::uint64_t{*count - 1} * *step > 0xFFFFFFFFu))
        return;
    putf("Media Error Skip Count : %d\n\n", static_cast<int>(*step));

    const pass_target target{true, static_cast<int>(*controller_number), static_cast<int>(*drive)};
    const auto long_length = long_block_length(caller, target);
    if (!long_length)
        return;
    std::vector<std::uint8_t> data(*long_length, 0xFF);
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto cdb = block_command(op_write_long, *first + i * *step, *long_length);
        zan::ZanPasRequest request = build_request(target, zan::ZANPAS_DATA_OUT, cdb);
        std::uint32_t length = *long_length;
        if (!caller.call("ZanPasWriteLong", call_shape::write, request, data, length))
            return;
    }
}

void firmware_download(const pass_caller& caller, command_args args)
{
    auto image = read_firmware(args[1]);
    if (!image)
        return;
    for (int controller = 0; controller < max_controllers; ++controller) {
        if (!check_controller(controller, loudness::quiet))
            continue;
        for (int drive = 0; drive < max_physical_drives; ++drive) {
            if (!check_physical_drive(controller, drive, loudness::quiet))
                continue;
            const pass_target target{true, controller, drive};
            const auto identity = read_identity(caller, target, false);
            if (!identity || !takes_firmware(*identity))
                continue;
            putf(msg::controller_line, controller);
            putf(msg::physical_drive_line, drive);
            putf("Vendor ID:%s\n", identity->vendor.c_str());
            putf("Product ID:%s\n", identity->product.c_str());
            putf("Product Rev:%lX\n\n", std::strtoul(identity->revision.c_str(), nullptr, 16));
            if (!download(caller, target, *image))
                return;
        }
    }
}

} // namespace pth
