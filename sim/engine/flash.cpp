#include "flash.h"

#include <algorithm>
#include <cstring>

#include "big_endian.h"
#include "dispatch.h"

namespace sim {

namespace {

constexpr char IMAGE_MARKER[8] = {'Z', 'A', 'N', 'F', 'W', 'I', 'M', 'G'};
constexpr std::size_t IMAGE_REVISION = 8;
constexpr std::size_t IMAGE_LENGTH = 12;
constexpr std::size_t IMAGE_CHECKSUM = 16;

// The file header.
constexpr char FILE_MAGIC[8] = {'B', 'r', 'i', 'm', 's', 't', 'a', 'l'};
constexpr std::size_t FILE_REVISION = 8;
constexpr std::size_t FILE_DATE = 12;
constexpr std::size_t FILE_AUTHOR = 16;
constexpr std::size_t FILE_AUTHOR_SIZE = 16;
constexpr std::size_t FILE_LENGTH = 48;

// Flash ROM state: the start bank in the high nibble, bank N's checksum good
// in bit N-1.
constexpr std::uint32_t start_bank(std::uint32_t state)
{
    return state >> 4;
}

constexpr std::uint32_t checksum_bit(std::uint32_t bank)
{
    return bank == 1 ? 0x01 : 0x02;
}

std::string& bank_revision(adapter& a, std::uint32_t bank)
{
    return bank == 2 ? a.flash_rom2 : a.flash_rom1;
}

void drop_download(adapter& a)
{
    a.flash_expected = 0;
    a.flash_received = 0;
    a.flash_sum = 0;
    a.flash_revision.clear();
}

// The first piece opens a download: it must hold the inner header. The
// running sum starts at minus the announced checksum, so a complete image
// adds up to zero.
std::uint8_t open_download(adapter& a, std::span<const std::uint8_t> piece)
{
    drop_download(a);
    if (piece.size() < IMAGE_HEADER_SIZE || std::memcmp(piece.data(), IMAGE_MARKER, sizeof IMAGE_MARKER) != 0) {
        return ASC_INVALID_FIELD_IN_PARAMETERS;
    }
    const std::uint32_t length = load_be(piece.data() + IMAGE_LENGTH, 4);
    const auto revision = piece.subspan(IMAGE_REVISION, 4);
    if (length < IMAGE_HEADER_SIZE ||
        !std::all_of(revision.begin(), revision.end(), [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; })) {
        return ASC_INVALID_FIELD_IN_PARAMETERS;
    }
    a.flash_expected = length;
    a.flash_sum = 0u - load_be(piece.data() + IMAGE_CHECKSUM, 4);
    a.flash_revision.assign(revision.begin(), revision.end());
    return 0;
}

// The last piece arrived: the image goes into the bank the adapter did not
// start from, which becomes the start bank when its checksum is right.
std::uint8_t complete_download(adapter& a)
{
    const std::uint32_t bank = start_bank(a.flash_state) == 1 ? 2 : 1;
    const bool good = a.flash_sum == 0;
    bank_revision(a, bank) = a.flash_revision;
    const std::uint32_t checksums = (a.flash_state & 0x03) & ~checksum_bit(bank);
    a.flash_state = good ? (bank << 4) | checksums | checksum_bit(bank) : (a.flash_state & 0xF0) | checksums;
    drop_download(a);
    return good ? 0 : ASC_INVALID_FIELD_IN_PARAMETERS;
}

} // namespace

std::uint8_t write_flash_piece(adapter& a, std::size_t offset, std::span<const std::uint8_t> piece)
{
    if (offset == 0) {
        if (const std::uint8_t refusal = open_download(a, piece); refusal != 0) return refusal;
    } else if (a.flash_expected == 0 || offset > a.flash_received) {
        return ASC_COMMAND_SEQUENCE_ERROR;
    }
    if (offset + piece.size() > a.flash_expected) {
        drop_download(a);
        return ASC_INVALID_FIELD_IN_PARAMETERS;
    }
    // A piece sent again overlaps what was received; only new bytes count.
    const std::size_t end = offset + piece.size();
    const std::size_t counted_from = std::max<std::size_t>(a.flash_received, IMAGE_HEADER_SIZE);
    if (end > counted_from) a.flash_sum += byte_sum(piece.subspan(counted_from - std::min(counted_from, offset)));
    a.flash_received = static_cast<std::uint32_t>(std::max<std::size_t>(a.flash_received, end));
    return a.flash_received == a.flash_expected ? complete_download(a) : 0;
}

void restart_adapter(adapter& a)
{
    drop_download(a);
    std::uint32_t bank = start_bank(a.flash_state);
    if (bank != 1 && bank != 2) return;
    if ((a.flash_state & checksum_bit(bank)) == 0) bank = bank == 1 ? 2 : 1;
    if ((a.flash_state & checksum_bit(bank)) != 0) a.firmware = bank_revision(a, bank);
}

std::vector<std::uint8_t> build_image_file(const image_file& f)
{
    std::vector<std::uint8_t> file(IMAGE_FILE_HEADER_SIZE + f.length, 0);
    std::uint8_t* header = file.data();
    std::uint8_t* image = file.data() + IMAGE_FILE_HEADER_SIZE;
    std::memcpy(header, FILE_MAGIC, sizeof FILE_MAGIC);
    if (f.broken == image_file::damage::magic) header[7] = 'x';
    std::memcpy(header + FILE_REVISION, f.revision.data(), std::min<std::size_t>(f.revision.size(), 4));
    std::copy(f.date.begin(), f.date.end(), header + FILE_DATE);
    std::memcpy(header + FILE_AUTHOR, f.author.data(), std::min(f.author.size(), FILE_AUTHOR_SIZE));
    store_be(header + FILE_LENGTH, 4, f.length + (f.broken == image_file::damage::length ? 1 : 0));

    // The image body: a fixed pattern, so that two files of one revision and
    // length are the same.
    for (std::size_t i = IMAGE_HEADER_SIZE; i < f.length; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::memcpy(image, IMAGE_MARKER, sizeof IMAGE_MARKER);
    std::memcpy(image + IMAGE_REVISION, f.revision.data(), std::min<std::size_t>(f.revision.size(), 4));
    store_be(image + IMAGE_LENGTH, 4, f.length);
    const std::uint32_t sum = byte_sum(std::span<const std::uint8_t>(image + IMAGE_HEADER_SIZE,
                                                                     f.length - IMAGE_HEADER_SIZE));
    store_be(image + IMAGE_CHECKSUM, 4, sum + (f.broken == image_file::damage::checksum ? 1 : 0));
    return file;
}

} // namespace sim
