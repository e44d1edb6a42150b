// The partition check: whether a Windows volume lives on a logical drive, so
// that a logical drive carrying one is never deleted.
#ifndef CLI_PARTITION_CHECK_H
#define CLI_PARTITION_CHECK_H

#include <cstdint>
#include <optional>

#include "frame.h"
#include <plat/volumes.h>

namespace cli {

// Where a volume's SCSI address points, as far as the check compares it.
struct volume_address {
    std::uint8_t port;   // SCSI port number
    std::uint8_t target; // target id: the logical drive on an adapter's port
};

// The SCSI address of the volume behind a drive letter's device, asked up to
// four times. Nothing when the device cannot be opened (`opened` false) or
// every request fails (`opened` true).
[[nodiscard]] std::optional<volume_address> query_volume_address(char letter, bool& opened);

// Whether any fixed-disk volume lives on the logical drive: its SCSI port is
// the adapter's and its target id the logical drive's number. A volume whose
// device cannot be opened cannot be ruled out: the internal-error line is
// printed and it counts as living there. The adapter's information is read
// for the comparison; when that fails the run ends.
outcome ld_has_volume(frame& context, int adapter, int ld, bool& has_volume);

} // namespace cli

#endif
