// Drive microcode download: WRITE BUFFER mode 7 (download microcode with
// offsets, save and activate), taken by the drive models whose product
// begins with "VMA" or "VMB". The image describes itself in a header of
// DRIVE_IMAGE_HEADER bytes:
//
//   0   8  marker "ZANDRVFW"
//   8   4  revision, 4 printable ASCII characters
//   12  4  image length in bytes, this header included, big-endian
//   16  4  checksum, big-endian: the 32-bit sum of every byte after the header
//   20 12  zero
//
// The piece that completes the image activates it: the drive reports the
// image's revision from then on.
#ifndef SIM_ENGINE_DRIVE_FIRMWARE_H
#define SIM_ENGINE_DRIVE_FIRMWARE_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model.h"

namespace sim {

inline constexpr std::size_t DRIVE_IMAGE_HEADER = 32;
// The most the drive's download buffer holds.
inline constexpr std::uint32_t DRIVE_IMAGE_MAX = 0xC0000;

// Whether the drive takes microcode downloads at all.
bool takes_microcode(const physical_drive& d);

// One WRITE BUFFER mode 7 piece at `offset`: 0 when taken, else the
// additional sense code of the refusal. A first piece that is no image, a
// piece past the announced length or an image whose checksum is wrong (0x26)
// drop the download; a piece that does not follow the bytes received so far,
// or with no download open (0x2C), leaves it as it was.
[[nodiscard]] std::uint8_t take_microcode_piece(physical_drive& d, std::uint32_t offset,
                                                std::span<const std::uint8_t> piece);

// A whole image of `length` bytes (at least the header) carrying `revision`,
// its bytes after the header a fixed pattern.
std::vector<std::uint8_t> build_drive_image(const std::string& revision, std::uint32_t length);

} // namespace sim

#endif
