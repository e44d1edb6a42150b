// The firmware image file and the WRITE BUFFER record that carries it to the
// adapter: the header and its checks, the revision comparison and the pieces
// of the transfer. Shared by every program that updates firmware; no output.
#ifndef ZAN_FIRMWARE_IMAGE_H
#define ZAN_FIRMWARE_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include <plat/file.h>

#include "zanbytes.h"
#include "zanioctl.h"

namespace zan {

// The 256-byte header in front of the image.
struct image_header {
    char magic[8];            // "Brimstal", no terminator
    char revision[4];         // firmware revision of the image ("General Revision")
    u8 date[4];               // BCD: century, year, month, day
    char author[16];          // padded with zero bytes
    u8 reserved32[16];
    be32 image_length;        // bytes of image after the header
    u8 reserved52[204];
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
    broken,    // length field and file size disagree, too large, empty, or no regular file
};

// Checks a header (zero-filled where the file was shorter) against the size
// of its file.
[[nodiscard]] image_check check_image(const image_header& header, std::uint64_t file_size);

// How opening an image file went.
enum class image_open_end {
    opened,       // the header is read and checked: `check` says what it holds
    open_failed,  // the file cannot be opened; os_error
    read_failed,  // its size or header cannot be read; os_error
};

struct image_open_result {
    image_open_end end;
    image_check check;       // when opened
    std::uint32_t os_error;  // when open_failed or read_failed
};

// Opens the image file at `full_path` for reading, not shared, and reads and
// checks its header; the file stays open at the first byte after the header.
// Anything but a regular file (a pipe, a device) is broken before a byte of it
// is read: a pipe would never end and a device would never match.
[[nodiscard]] image_open_result open_image(const char* full_path, plat::file& image, image_header& header);

// Whether the adapter's current revision is newer than the image's; the two
// are compared as text, byte by byte.
[[nodiscard]] bool is_downgrade(const char (&current)[4], const char (&image)[4]);

// The image goes in pieces of this size, the last one the remainder.
inline constexpr std::uint32_t piece_size = 4096;

[[nodiscard]] std::uint32_t piece_count(std::uint32_t image_length);

// Percentage reached once `sent` of `pieces` pieces are sent.
[[nodiscard]] int percent_sent(std::uint32_t sent, std::uint32_t pieces);

// The record of IOCTL_KRAID_SCSI_WRITE_BUFFER: the driver status word, the
// driver's completion bytes, the CDB and the piece.
struct write_buffer_record {
    le16 status;
    u8 completion[4];
    u8 opcode;           // 0x3B WRITE BUFFER
    u8 mode;             // 0x05 download microcode with offsets and save
    u8 buffer_id;        // 0x01
    be24 buffer_offset;  // offset of the piece within the image
    be24 length;         // length of the piece
    u8 control;
    u8 cdb_rest[6];
    u8 data[LARGE_TRANSFER_LENGTH - SCSI_REQUEST_DATA];
};
static_assert(sizeof(write_buffer_record) == LARGE_TRANSFER_LENGTH);
static_assert(offsetof(write_buffer_record, opcode) == SCSI_REQUEST_CDB);
static_assert(offsetof(write_buffer_record, buffer_offset) == SCSI_REQUEST_CDB + 3);
static_assert(offsetof(write_buffer_record, length) == SCSI_REQUEST_CDB + 6);
static_assert(offsetof(write_buffer_record, data) == SCSI_REQUEST_DATA);

// Fills a record for one piece at `offset` (at most piece_size bytes). The
// record is reused from piece to piece: the answer fields and the piece area
// past the piece are cleared, so it reads as a fresh zeroed record would.
void fill_write_buffer(write_buffer_record& record, std::uint32_t offset, std::span<const std::uint8_t> piece);

} // namespace zan

#endif
