// The Raid Turbine checks, once per adapter at start-up: which logical
// drives are Raid Turbine ones, which drive letters and which disk show each
// of them to Windows, and a warning on the desktop for one that Windows
// reaches without a drive letter or through a dynamic disk.
#ifndef ZAN_SERVICE_TURBINE_H
#define ZAN_SERVICE_TURBINE_H

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "monitor.h"

namespace zan {

inline constexpr std::size_t TURBINE_LOGICAL_DRIVES = 12;
inline constexpr std::uint32_t MSG_TURBINE_NO_LETTER = 0xA0005000;
inline constexpr std::uint32_t MSG_TURBINE_DYNAMIC = 0xA0005100;

// What the checks find out about one logical drive.
struct turbine_drive {
    bool turbine = false;  // a Raid Turbine logical drive
    bool dynamic = false;  // the disk that shows it is a dynamic disk
    std::string letters;   // its volumes' devices, "\\\\.\\E:,\\\\.\\F:"
};
using turbine_table = std::array<turbine_drive, TURBINE_LOGICAL_DRIVES>;

// Reads the RAID level byte of logical drive k; false when the request fails.
using level_reader = std::function<bool(std::uint8_t k, std::uint8_t& level)>;

// The logical-drive scan: every logical drive whose RAID status byte is
// neither 0xFF nor an alarm state (0x20 to 0x2F) is asked for its level; the
// first failed request ends the scan, the marks set so far stay.
void scan_turbine_drives(std::span<const std::uint8_t, TURBINE_LOGICAL_DRIVES> states, const level_reader& read_level,
                         turbine_table& drives);

// The devices of the fixed drive letters C to Z whose volume lies on target
// `target` of SCSI port `port`, in letter order, joined by ",".
std::string drive_letter_list(std::uint8_t port, std::uint8_t target);

// The dynamic-disk probe: disks 0 to n-1, n the number of volumes after the
// first, set the dynamic-disk mark of the logical drive they show when they
// sit on `port` (and not on path 1). Nothing happens when the volume
// enumeration cannot start.
void mark_dynamic_disks(std::uint8_t port, turbine_table& drives);

struct turbine_warning {
    std::uint32_t id;
    std::uint8_t logical;
    bool operator==(const turbine_warning&) const = default;
};

// The warnings, by logical drive: a dynamic disk, or else no drive letter.
std::vector<turbine_warning> turbine_warnings(const turbine_table& drives);

// The whole check of one adapter; each warning is shown in a box on a thread
// of its own, or reported to the Event Log when it cannot be shown.
void run_turbine_checks(monitored_controller& a);

} // namespace zan

#endif
