#include "adapter_logs.h"

#include <algorithm>
#include <array>
#include <span>

#include "exchange.h"
#include "plat/error.h"
#include "plat/file.h"
#include "plat/folders.h"
#include "report.h"
#include "zanioctl.h"

namespace zanlog {

namespace {

constexpr std::uint8_t READ_BUFFER = 0x3C;
constexpr std::uint32_t NVRAM_PIECES_LARGE = 64; // 32 KiB
constexpr std::uint32_t NVRAM_PIECES_SMALL = 16; // 8 KiB

// One request buffer for the whole run: the envelope and the large record.
std::span<std::uint8_t> request_buffer()
{
    static std::array<std::uint8_t, zan::ENVELOPE_HEADER_LENGTH + zan::LARGE_TRANSFER_LENGTH> buffer;
    return buffer;
}

std::span<std::uint8_t> record_of(std::span<std::uint8_t> buffer)
{
    return buffer.subspan(zan::ENVELOPE_HEADER_LENGTH);
}

// READ BUFFER(10): mode, buffer id, 3-byte offset, 3-byte allocation length.
void write_cdb(std::span<std::uint8_t> buffer, std::uint8_t mode, std::uint8_t id, std::uint32_t offset)
{
    std::uint8_t* cdb = record_of(buffer).data() + zan::SCSI_REQUEST_CDB;
    std::fill_n(cdb, zan::SCSI_REQUEST_CDB_SIZE, std::uint8_t{0});
    const std::uint8_t bytes[] = {READ_BUFFER,
                                  mode,
                                  id,
                                  static_cast<std::uint8_t>(offset >> 16),
                                  static_cast<std::uint8_t>(offset >> 8),
                                  static_cast<std::uint8_t>(offset),
                                  0,
                                  ADAPTER_PIECE_BYTES >> 8,
                                  ADAPTER_PIECE_BYTES & 0xFF,
                                  0};
    std::copy(std::begin(bytes), std::end(bytes), cdb);
}

// Reads one piece into the record's data area.
bool read_piece(plat::device& port, std::span<std::uint8_t> buffer, const adapter_region& region, std::uint32_t offset)
{
    std::span<std::uint8_t> record = record_of(buffer);
    std::fill_n(record.begin(), zan::SCSI_REQUEST_DATA + ADAPTER_PIECE_BYTES, std::uint8_t{0});
    const auto rewrite = [&](std::span<std::uint8_t> b) { write_cdb(b, region.mode, region.buffer_id, offset); };
    rewrite(buffer);
    const zan::exchange_result result =
        zan::run_exchange(port, buffer, zan::SCSI_REQUEST_STATUS, zan::LOG_SENDER.rule, rewrite);
    switch (result.end) {
    case zan::exchange_end::good:
        // The adapter refused the command (CHECK CONDITION in the completion
        // bytes): the data area holds nothing of the log.
        if (record[zan::SCSI_REQUEST_COMPLETION] != 0) return report_error(ERROR_COMMAND_FAILED, shown::general);
        return true;
    case zan::exchange_end::send_failed: return report_error(result.os_error, shown::general);
    case zan::exchange_end::busy_limit: return report_error(ERROR_BUSY, shown::as_such);
    default: return report_error(ERROR_COMMAND_FAILED, shown::general);
    }
}

} // namespace

adapter_region adapter_log_region(log_kind kind, std::uint8_t driver_kind)
{
    switch (kind) {
    case log_kind::raid: return {0x01, 0xA6, 0, 4096};
    case log_kind::nvram: {
        const bool large = driver_kind == 1 || driver_kind == 5 || driver_kind == 6 || driver_kind == 7;
        return {0x02, 0x08, 0, large ? NVRAM_PIECES_LARGE : NVRAM_PIECES_SMALL};
    }
    default: return {0x02, 0x07, 0xC00000, 256};
    }
}

bool collect_adapter_log(plat::device& port, const adapter_region& region, const std::string& file_path)
{
    const std::span<std::uint8_t> buffer = request_buffer();
    zan::fill_envelope(buffer, zan::LOG_SENDER, zan::IOCTL_KRAID_SCSI_READ_BUFFER, zan::LARGE_TRANSFER_LENGTH);
    plat::file file;
    if (!file.create_replace_exclusive(file_path.c_str())) return report_error(plat::last_error(), shown::general);
    const std::uint8_t* data = record_of(buffer).data() + zan::SCSI_REQUEST_DATA;
    for (std::uint32_t piece = 0; piece < region.pieces; ++piece) {
        if (!read_piece(port, buffer, region, region.first_offset + piece * ADAPTER_PIECE_BYTES)) return false;
        if (!file.write(data, ADAPTER_PIECE_BYTES)) return report_error(plat::last_error(), shown::general);
    }
    if (!file.close_checked()) return report_error(plat::last_error(), shown::general);
    return true;
}

} // namespace zanlog
