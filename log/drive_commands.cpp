#include "drive_commands.h"

#include <algorithm>

#include "plat/sync.h"
#include "report.h"
#include "zandllpth.h"

namespace zanlog {

namespace {

constexpr std::uint32_t BUSY_REPEATS = 350;
constexpr std::uint32_t BUSY_PAUSE_MS = 5;
constexpr std::uint32_t OUT_SIZE = 260;

ZanPasReadCall library_call(drive_call call)
{
    switch (call) {
    case drive_call::inquiry: return ZanPasInquiry;
    case drive_call::log_sense: return ZanPasLogSense;
    case drive_call::internal_log: return ZanPasRequestInternalLog;
    default: return ZanPasAnyCommand;
    }
}

void store_le32(std::uint8_t (&field)[4], std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) field[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

drive_outcome drive_channel::send(drive_call call, std::span<const std::uint8_t> command,
                                  std::span<std::uint8_t> data)
{
    const bool reads = !data.empty();
    for (std::uint32_t busy = 0;; ++busy) {
        // The library writes into the request: it is filled anew each time.
        zan::ZanPasRequest request{};
        store_le32(request.target, zan::ZANPAS_TARGET_RAID_DISK);
        request.disk_number = static_cast<std::uint8_t>(drive_);
        request.caller_byte = static_cast<std::uint8_t>(controller_);
        request.direction = reads ? zan::ZANPAS_DATA_IN : zan::ZANPAS_NO_DATA;
        request.cdb[0] = reads ? zan::ZANPAS_WRAP_DATA_IN : zan::ZANPAS_WRAP_DATA_OUT;
        request.cdb[1] = static_cast<std::uint8_t>(drive_);
        const std::size_t length = std::min(command.size(), sizeof request.cdb - zan::ZANPAS_WRAP_LENGTH);
        std::copy_n(command.begin(), length, request.cdb + zan::ZANPAS_WRAP_LENGTH);
        store_le32(request.cdb_length, static_cast<std::uint32_t>(length + zan::ZANPAS_WRAP_LENGTH));
        std::fill(data.begin(), data.end(), std::uint8_t{0});
        std::uint32_t data_length = static_cast<std::uint32_t>(data.size());
        char out[OUT_SIZE] = {};
        std::uint32_t out_size = sizeof out;
        const int result = library_call(call)(&request, data.data(), &data_length, out, &out_size);
        if (result == zan::ZANPAS_OK) {
            return {true, request.scsi_status, std::min(data_length, static_cast<std::uint32_t>(data.size()))};
        }
        if (result != zan::ZANPAS_BUSY) {
            report_error(ERROR_COMMAND_FAILED, shown::general);
            return {};
        }
        if (busy == BUSY_REPEATS) {
            report_error(ERROR_BUSY, shown::as_such);
            return {};
        }
        plat::sleep_ms(BUSY_PAUSE_MS);
    }
}

} // namespace zanlog
