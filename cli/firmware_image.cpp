#include "firmware_image.h"

#include <cstring>

#include "messages.h"
#include "output.h"
#include "record_text.h"

namespace cli {

namespace {

constexpr std::uint8_t write_buffer_opcode = 0x3B;
constexpr std::uint8_t download_and_save_with_offsets = 0x05;
constexpr std::uint8_t firmware_buffer_id = 0x01;

} // namespace

image_check check_image(const image_header& header, std::uint64_t file_size)
{
    if (std::string_view(header.magic, sizeof header.magic) != image_magic) return image_check::not_image;
    const std::uint32_t length = header.image_length.get();
    // An empty image would "complete" without writing anything.
    if (length == 0 || file_size >= image_file_limit || length >= image_length_limit ||
        file_size != sizeof(image_header) + std::uint64_t{length})
        return image_check::broken;
    return image_check::valid;
}

bool is_downgrade(const char (&current)[4], const char (&image)[4])
{
    return std::memcmp(current, image, sizeof current) > 0;
}

std::string image_information(const char (&current)[4], std::string_view full_path, int adapter,
                              const image_header& header)
{
    return format(msg::fw_information, record_text(current).c_str(), std::string(full_path).c_str(), adapter,
                  record_text(header.revision).c_str(), header.date[0], header.date[1],
                  header.date[2], header.date[3], record_text(header.author).c_str(),
                  static_cast<unsigned>(header.image_length.get()));
}

std::uint32_t piece_count(std::uint32_t image_length)
{
    return image_length / piece_size + (image_length % piece_size != 0 ? 1 : 0);
}

int percent_sent(std::uint32_t sent, std::uint32_t pieces)
{
    return static_cast<int>(std::uint64_t{100} * sent / pieces);
}

void fill_write_buffer(write_buffer_record& record, std::uint32_t offset, std::span<const std::uint8_t> piece)
{
    std::memset(&record, 0, sizeof record);
    record.opcode = write_buffer_opcode;
    record.mode = download_and_save_with_offsets;
    record.buffer_id = firmware_buffer_id;
    record.buffer_offset.set(offset);
    record.length.set(static_cast<std::uint32_t>(piece.size()));
    std::memcpy(record.data, piece.data(), piece.size());
}

} // namespace cli
