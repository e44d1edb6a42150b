// The adapter logs (RAID log, NVRAM log, firmware trace log): 512-byte
// pieces of adapter memory read with SCSI READ BUFFER through the driver and
// written to the output file unchanged and in order.
#ifndef ZANLOG_ADAPTER_LOGS_H
#define ZANLOG_ADAPTER_LOGS_H

#include <cstdint>
#include <string>

#include "log_types.h"
#include "plat/device.h"

namespace zanlog {

inline constexpr std::uint32_t ADAPTER_PIECE_BYTES = 512;

// Where a log lies in adapter memory.
struct adapter_region {
    std::uint8_t mode;
    std::uint8_t buffer_id;
    std::uint32_t first_offset;
    std::uint32_t pieces;
};

// The region of an adapter log; the NVRAM's size depends on the driver kind.
[[nodiscard]] adapter_region adapter_log_region(log_kind kind, std::uint8_t driver_kind);

// Reads the region on the open port into a new file at `file_path`. Every
// failure is reported.
[[nodiscard]] bool collect_adapter_log(plat::device& port, const adapter_region& region, const std::string& file_path);

} // namespace zanlog

#endif
