// The firmware image file and the WRITE BUFFER requests that carry it to the
// adapter: the header and its checks, the pieces of the transfer and the
// information block shown before it. Pure functions, no I/O.
#ifndef CLI_FIRMWARE_IMAGE_H
#define CLI_FIRMWARE_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "zanbytes.h"
#include "zanioctl.h"

namespace cli {

// The 256-byte header in front of the image.
struct image_header {
    char magic[8];            // "Brimstal", no terminator
    char revision[4];         // firmware revision of the image ("General Revision")
    zan::u8 date[4];          // BCD: century, year, month, day
    char author[16];          // padded with zero bytes
    zan::u8 reserved32[16];
    zan::be32 image_length;   // bytes of image after the header
    zan::u8 reserved52[204];
};
static_assert(sizeof(image_header) == 256);
static_assert(offsetof(image_header, revision) == 8);
static_assert(offsetof(image_header, date) == 12);
static_assert(offsetof(image_header, author) == 16);
static_assert(offsetof(image_header, image_length) == 48);

inline constexpr std::string_view image_magic = "Brimstal";

// Piece offsets travel in 24 bits: an image must stay below 16 MiB.
inline constexpr std::uint32_t image_length_limit = 1u << 24;
// Files of 4 GiB or more are never images.
inline constexpr std::uint64_t image_file_limit = std::uint64_t{1} << 32;

enum class image_check {
    valid,
    not_image, // wrong magic
    broken,    // length field and file size disagree, or too large
};

// Checks a header (zero-filled where the file was shorter) against the size
// of its file.
[[nodiscard]] image_check check_image(const image_header& header, std::uint64_t file_size);

// Whether the adapter's current revision is newer than the image's; the two
// are compared as text, byte by byte.
[[nodiscard]] bool is_downgrade(const char (&current)[4], const char (&image)[4]);

// The block shown before the question: current revision, full path, adapter,
// the image's revision, date, author and length.
[[nodiscard]] std::string image_information(const char (&current)[4], std::string_view full_path, int adapter,
                                            const image_header& header);

// The image goes in pieces of this size, the last one the remainder.
inline constexpr std::uint32_t piece_size = 4096;

[[nodiscard]] std::uint32_t piece_count(std::uint32_t image_length);

// Percentage the bar reaches once `sent` of `pieces` pieces are sent.
[[nodiscard]] int percent_sent(std::uint32_t sent, std::uint32_t pieces);

// The record of IOCTL_KRAID_SCSI_WRITE_BUFFER: the driver status word, the
// driver's completion bytes, the CDB and the piece.
struct write_buffer_record {
    zan::le16 status;
    zan::u8 completion[4];
    zan::u8 opcode;           // 0x3B WRITE BUFFER
    zan::u8 mode;             // 0x05 download microcode with offsets and save
    zan::u8 buffer_id;        // 0x01
    zan::be24 buffer_offset;  // offset of the piece within the image
    zan::be24 length;         // length of the piece
    zan::u8 control;
    zan::u8 cdb_rest[6];
    zan::u8 data[zan::LARGE_TRANSFER_LENGTH - zan::SCSI_REQUEST_DATA];
};
static_assert(sizeof(write_buffer_record) == zan::LARGE_TRANSFER_LENGTH);
static_assert(offsetof(write_buffer_record, opcode) == zan::SCSI_REQUEST_CDB);
static_assert(offsetof(write_buffer_record, buffer_offset) == zan::SCSI_REQUEST_CDB + 3);
static_assert(offsetof(write_buffer_record, length) == zan::SCSI_REQUEST_CDB + 6);
static_assert(offsetof(write_buffer_record, data) == zan::SCSI_REQUEST_DATA);

// Fills the record for one piece at `offset` (at most piece_size bytes); the
// record is zeroed first.
void fill_write_buffer(write_buffer_record& record, std::uint32_t offset, std::span<const std::uint8_t> piece);

} // namespace cli

#endif
