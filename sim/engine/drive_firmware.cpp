#include "drive_firmware.h"

#include <algorithm>
#include <cstring>

#include "big_endian.h"
#include "dispatch.h"

namespace sim {

namespace {

constexpr char MARKER[8] = {'Z', 'A', 'N', 'D', 'R', 'V', 'F', 'W'};
constexpr std::size_t REVISION_AT = 8;
constexpr std::size_t REVISION_LENGTH = 4;
constexpr std::size_t LENGTH_AT = 12;
constexpr std::size_t CHECKSUM_AT = 16;
// The revision within a 40-character inquiry text: after vendor and product.
constexpr std::size_t INQUIRY_REVISION_AT = 24;

void drop_download(physical_drive& d)
{
    d.download_length = 0;
    d.download_received = 0;
    d.download_sum = 0;
    d.download_revision.clear();
}

bool printable(std::span<const std::uint8_t> text)
{
    return std::all_of(text.begin(), text.end(), [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// The first piece opens a download with the header it must hold. The
// running sum starts at minus the announced checksum, so that a whole image
// adds up to zero.
std::uint8_t open_download(physical_drive& d, std::span<const std::uint8_t> piece)
{
    drop_download(d);
    if (piece.size() < DRIVE_IMAGE_HEADER || std::memcmp(piece.data(), MARKER, sizeof MARKER) != 0 ||
        !printable(piece.subspan(REVISION_AT, REVISION_LENGTH))) {
        return ASC_INVALID_FIELD_IN_PARAMETERS;
    }
    const std::uint32_t length = load_be(piece.data() + LENGTH_AT, 4);
    if (length < DRIVE_IMAGE_HEADER || length > DRIVE_IMAGE_MAX) return ASC_INVALID_FIELD_IN_PARAMETERS;
    d.download_length = length;
    d.download_sum = 0u - load_be(piece.data() + CHECKSUM_AT, 4) - byte_sum(piece.first(DRIVE_IMAGE_HEADER));
    const auto revision = piece.subspan(REVISION_AT, REVISION_LENGTH);
    d.download_revision.assign(revision.begin(), revision.end());
    return 0;
}

// The image is whole: with the right checksum it runs and the drive reports
// its revision (also in an inquiry text given whole).
std::uint8_t activate(physical_drive& d)
{
    const bool good = d.download_sum == 0;
    if (good) {
        d.revision = d.download_revision;
        if (d.inquiry.size() >= INQUIRY_REVISION_AT + REVISION_LENGTH) {
            d.inquiry.replace(INQUIRY_REVISION_AT, REVISION_LENGTH, d.revision);
        }
    }
    drop_download(d);
    return good ? 0 : ASC_INVALID_FIELD_IN_PARAMETERS;
}

} // namespace

bool takes_microcode(const physical_drive& d)
{
    return d.product.starts_with("VMA") || d.product.starts_with("VMB");
}

std::uint8_t take_microcode_piece(physical_drive& d, std::uint32_t offset, std::span<const std::uint8_t> piece)
{
    if (offset == 0) {
        if (const std::uint8_t refusal = open_download(d, piece); refusal != 0) return refusal;
    } else if (d.download_length == 0 || offset != d.download_received) {
        return ASC_COMMAND_SEQUENCE_ERROR;
    }
    if (piece.size() > d.download_length - offset) {
        drop_download(d);
        return ASC_INVALID_FIELD_IN_PARAMETERS;
    }
    d.download_sum += byte_sum(piece);
    d.download_received = offset + static_cast<std::uint32_t>(piece.size());
    return d.download_received == d.download_length ? activate(d) : 0;
}

std::vector<std::uint8_t> build_drive_image(const std::string& revision, std::uint32_t length)
{
    std::vector<std::uint8_t> image(std::max<std::size_t>(length, DRIVE_IMAGE_HEADER), 0);
    std::copy(std::begin(MARKER), std::end(MARKER), image.begin());
    for (std::size_t i = 0; i < REVISION_LENGTH; ++i) {
        image[REVISION_AT + i] = static_cast<std::uint8_t>(i < revision.size() ? revision[i] : ' ');
    }
    store_be(image.data() + LENGTH_AT, 4, static_cast<std::uint32_t>(image.size()));
    for (std::size_t i = DRIVE_IMAGE_HEADER; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    store_be(image.data() + CHECKSUM_AT, 4, byte_sum(std::span(image).subspan(DRIVE_IMAGE_HEADER)));
    return image;
}

} // namespace sim
