// The adapter's flash ROM: two banks, each holding a firmware image with its
// revision, one of them the bank the adapter starts from. A download arrives
// as WRITE BUFFER pieces and goes into the bank the adapter did not start
// from; the new firmware runs after the next restart.
//
// The tools send only the image bytes of a firmware image file (everything
// after its 256-byte header), so the image describes itself in an inner
// header of IMAGE_HEADER_SIZE bytes:
//
//   0   8  marker "ZANFWIMG"
//   8   4  revision, 4 printable ASCII characters
//   12  4  image length in bytes, this header included, big-endian
//   16  4  checksum, big-endian: the 32-bit sum of every byte after the header
//   20 12  zero
#ifndef SIM_ENGINE_FLASH_H
#define SIM_ENGINE_FLASH_H

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model.h"

namespace sim {

inline constexpr std::size_t IMAGE_HEADER_SIZE = 32;
inline constexpr std::size_t IMAGE_FILE_HEADER_SIZE = 256;

// Takes one WRITE BUFFER piece at `offset` of the image. Returns 0 when taken
// or the additional sense code of the refusal: a first piece that is no
// image, a piece beyond the announced length or a bad checksum (0x26, the
// download is dropped), a piece that does not follow the bytes received so
// far (0x2C). The piece that completes the image writes the bank.
[[nodiscard]] std::uint8_t write_flash_piece(adapter& a, std::size_t offset, std::span<const std::uint8_t> piece);

// An adapter restart: the firmware of the start bank (the other bank when the
// start bank's checksum is bad) runs and reports its revision; a download in
// progress is lost.
void restart_adapter(adapter& a);

// A firmware image file as the update tools read it.
struct image_file {
    enum class damage { none, magic, length, checksum };
    std::string revision;                                   // 4 characters
    std::uint32_t length = 0x10000;                         // image bytes, at least IMAGE_HEADER_SIZE
    std::array<std::uint8_t, 4> date = {0x20, 0x09, 0x04, 0x24}; // BCD century, year, month, day
    std::string author = "ZAN FIRMWARE";                    // up to 16 characters
    damage broken = damage::none;
};
std::vector<std::uint8_t> build_image_file(const image_file& f);

} // namespace sim

#endif
