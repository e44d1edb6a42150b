#include "firmware_image.h"

#include <cstring>

#include <plat/error.h>

namespace zan {

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

image_open_result open_image(const char* full_path, plat::file& image, image_header& header)
{
    header = image_header{};
    if (!image.open_existing_read_exclusive(full_path))
        return {image_open_end::open_failed, image_check::broken, plat::last_error()};
    plat::file_kind kind = plat::file_kind::other;
    if (!image.kind(kind)) return {image_open_end::read_failed, image_check::broken, plat::last_error()};
    if (kind != plat::file_kind::disk) return {image_open_end::opened, image_check::broken, plat::ERR_SUCCESS};

    std::uint64_t file_size = 0;
    std::size_t count = 0;
    if (!image.size(file_size) || !image.read(&header, sizeof header, count))
        return {image_open_end::read_failed, image_check::broken, plat::last_error()};
    return {image_open_end::opened, check_image(header, file_size), plat::ERR_SUCCESS};
}

bool is_downgrade(const char (&current)[4], const char (&image)[4])
{
    return std::memcmp(current, image, sizeof current) > 0;
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
    record.status.set(0);
    std::memset(record.completion, 0, sizeof record.completion);
    record.opcode = write_buffer_opcode;
    record.mode = download_and_save_with_offsets;
    record.buffer_id = firmware_buffer_id;
    record.buffer_offset.set(offset);
    record.length.set(static_cast<std::uint32_t>(piece.size()));
    record.control = 0;
    std::memset(record.cdb_rest, 0, sizeof record.cdb_rest);
    std::memcpy(record.data, piece.data(), piece.size());
    // Only the first piece_size bytes ever carry a piece.
    if (piece.size() < piece_size) std::memset(record.data + piece.size(), 0, piece_size - piece.size());
}

} // namespace zan
