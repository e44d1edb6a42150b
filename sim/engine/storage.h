// The simulated Windows storage stack: every defined logical drive is a
// disk, and the volumes of a logical drive (drive letters) live on its disk.
// Beside them the machine has its system disk with the system volume, behind
// no Zan adapter.
//
// Disk numbers (\\.\PHYSICALDRIVEn): the logical drives' disks first, by
// SCSI port and then logical-drive number, numbered from 0 without gaps; the
// system disk last. So on a machine with one adapter, disk n is logical
// drive n as long as its logical drives are numbered without gaps.
#ifndef SIM_ENGINE_STORAGE_H
#define SIM_ENGINE_STORAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Where a disk or volume lives: the SCSI port and the target (the logical
// drive; 0 on the system disk).
struct volume_location {
    std::uint32_t port = 0;
    std::uint8_t target = 0;
    bool system = false; // the system disk
    bool operator==(const volume_location&) const = default;
};

// Finds the volume with drive letter `letter` (upper case) on the machine of
// `root`; false when no volume has that letter. Adapters whose state cannot
// be read show no volumes, as disks that do not answer.
[[nodiscard]] bool locate_volume(const std::string& root, char letter, volume_location& out);

// The letters of every volume: bit 0 for A:, bit 1 for B:, ...
std::uint32_t volume_letters(const std::string& root);

struct volume_entry {
    char letter = 0;
    volume_location where;
};

// Every volume: the system volume, then the logical drives' volumes by port,
// logical drive and the order of their letters.
std::vector<volume_entry> list_volumes(const std::string& root);

// The disks in their numbering (above); the system disk is the last.
std::vector<volume_location> list_disks(const std::string& root);

// The SCSI port of the system disk: the lowest one without a Zan adapter.
std::uint32_t system_port(const std::string& root);

} // namespace sim

#endif
