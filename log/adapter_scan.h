// The log tool's own adapter scan: the SCSI ports of the accepted drivers,
// each opened once and kept open for the whole run, with its driver kind.
#ifndef ZANLOG_ADAPTER_SCAN_H
#define ZANLOG_ADAPTER_SCAN_H

#include <array>
#include <cstdint>
#include <string_view>

#include "plat/device.h"

namespace zanlog {

inline constexpr int MAX_ADAPTERS = 4;

struct adapter_port {
    plat::device port;
    std::uint8_t driver_kind = 0;
};

// Entry n is controller number n of the command line.
struct adapter_table {
    std::array<adapter_port, MAX_ADAPTERS> entries;
    int count = 0;
};

// The driver kind of a "Qvmraid" port from the registry keys that name its
// driver generation: 4, 1, or 0 when neither key exists.
inline constexpr std::uint8_t QVMRAID_WITHOUT_KEYS = 0;

// Which keys exist, for qvmraid_kind.
struct qvmraid_keys {
    bool qvm25c;
    bool qvm20c;
};

[[nodiscard]] constexpr std::uint8_t qvmraid_kind(qvmraid_keys keys)
{
    return keys.qvm25c ? 4 : keys.qvm20c ? 1 : QVMRAID_WITHOUT_KEYS;
}

// Fills `table`. A port that cannot be opened, or a "Qvmraid" port without
// its keys, is reported and passed over; a SCSI key that cannot be opened and
// a scan that takes no port are reported and fail the scan.
[[nodiscard]] bool scan_adapters(adapter_table& table);

} // namespace zanlog

#endif
