#include "firmware_download.h"

#include <algorithm>
#include <new>
#include <string>

#include <plat/error.h>

#include "exchange.h"
#include "firmware_image.h"
#include "zanioctl.h"

namespace zan {

namespace {

constexpr std::size_t envelope_size = ENVELOPE_HEADER_LENGTH + sizeof(write_buffer_record);

} // namespace

bool firmware_download::open(std::uint8_t port_number)
{
    envelope_.reset(new (std::nothrow) std::uint8_t[envelope_size]());
    if (!envelope_) {
        plat::set_last_error(plat::ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const std::string path = "\\\\.\\Scsi" + std::to_string(port_number) + ":";
    return port_.open(path.c_str());
}

download_result firmware_download::send_piece(std::uint32_t offset, std::span<const std::uint8_t> piece)
{
    if (!envelope_ || !port_.is_open()) return {download_end::send_failed, plat::ERR_INVALID_HANDLE};
    const std::span<std::uint8_t> envelope(envelope_.get(), envelope_size);
    auto& record = *reinterpret_cast<write_buffer_record*>(envelope_.get() + ENVELOPE_HEADER_LENGTH);
    fill_write_buffer(record, offset, piece);
    fill_envelope(envelope, DOWNLOAD_SENDER, IOCTL_KRAID_SCSI_WRITE_BUFFER, sizeof record);

    const exchange_result result = run_exchange(port_, envelope, SCSI_REQUEST_STATUS, DOWNLOAD_SENDER.rule);
    switch (result.end) {
    case exchange_end::good:
        return {download_end::sent, plat::ERR_SUCCESS};
    case exchange_end::send_failed:
        return {download_end::send_failed, result.os_error};
    default:
        return {download_end::device_abnormal, plat::ERR_SUCCESS};
    }
}

download_result firmware_download::send_image(plat::file& image, std::uint32_t length,
                                               const download_progress& progress)
{
    const std::uint32_t pieces = piece_count(length);
    std::uint8_t piece[piece_size];
    for (std::uint32_t sent = 0; sent < pieces; ++sent) {
        const std::uint32_t offset = sent * piece_size;
        const std::uint32_t size = std::min(piece_size, length - offset);
        std::size_t count = 0;
        if (!image.read(piece, size, count) || count != size) return {download_end::read_failed, plat::last_error()};
        const download_result result = send_piece(offset, std::span(piece, size));
        if (result.end != download_end::sent) return result;
        progress(percent_sent(sent + 1, pieces));
    }
    return {download_end::sent, plat::ERR_SUCCESS};
}

} // namespace zan
