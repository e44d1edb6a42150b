// The simulated Windows storage stack: every logical drive is a disk, and
// the volumes of a logical drive (drive letters) live on its disk. Beside
// them the machine has its system volume, on a disk behind no Zan adapter.
#ifndef SIM_ENGINE_STORAGE_H
#define SIM_ENGINE_STORAGE_H

#include <cstdint>
#include <string>

namespace sim {

// Where a volume lives: the SCSI port and the target (the logical drive).
struct volume_location {
    std::uint32_t port = 0;
    std::uint8_t target = 0;
};

// Finds the volume with drive letter `letter` (upper case) on the machine of
// `root`; false when no volume has that letter. Adapters whose state cannot
// be read show no volumes, as disks that do not answer.
[[nodiscard]] bool locate_volume(const std::string& root, char letter, volume_location& out);

// The letters of every volume: bit 0 for A:, bit 1 for B:, ...
std::uint32_t volume_letters(const std::string& root);

} // namespace sim

#endif
