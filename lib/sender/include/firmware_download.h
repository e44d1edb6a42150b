// The firmware download: the image's pieces sent as WRITE BUFFER requests
// straight to the SCSI port of one adapter, under the download's retry rule.
// Shared by every program that updates firmware; no output.
#ifndef ZAN_FIRMWARE_DOWNLOAD_H
#define ZAN_FIRMWARE_DOWNLOAD_H

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include <plat/device.h>
#include <plat/file.h>

namespace zan {

// How a piece, or the whole image, went.
enum class download_end {
    sent,
    read_failed,     // the image file could not be read; os_error
    send_failed,     // DeviceIoControl failed; os_error
    device_abnormal, // the adapter stayed busy or kept failing a piece
};

struct download_result {
    download_end end;
    std::uint32_t os_error;
};

// Called after each piece with the percentage sent so far.
using download_progress = std::function<void(int percent)>;

// One download to the adapter on one SCSI port. The request buffer is
// allocated once, when the port opens, and serves every piece.
class firmware_download {
public:
    // Opens the port device "\\.\Scsi<port_number>:", the port of the
    // library's controller whose ContInfo carries that number. False with
    // last_error() set.
    [[nodiscard]] bool open(std::uint8_t port_number);

    // Sends one piece of the image at `offset` (at most piece_size bytes),
    // repeating it on busy and failure answers.
    [[nodiscard]] download_result send_piece(std::uint32_t offset, std::span<const std::uint8_t> piece);

    // Reads the `length` bytes of image that follow the header from `image`
    // (positioned there) and sends them piece by piece.
    [[nodiscard]] download_result send_image(plat::file& image, std::uint32_t length,
                                             const download_progress& progress);

private:
    plat::device port_;
    std::unique_ptr<std::uint8_t[]> envelope_;
};

} // namespace zan

#endif
