// The free space of the simulated machine's volumes: what the host's file
// system has, or less when a test caps it (a full volume without filling a
// disk). The cap is kept in the root, so every process sees it.
#ifndef SIM_DISK_SPACE_H
#define SIM_DISK_SPACE_H

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// The cap in bytes of the root `root`, none when volumes report the host's
// own free space (or the setting can't be read).
std::optional<std::uint64_t> free_space_cap(const std::string& root);

// Sets the cap of the root sim::root_dir() (none: the host's own free space).
// Returns an empty string or what went wrong.
[[nodiscard]] std::string set_free_space_cap(std::optional<std::uint64_t> bytes);

} // namespace sim

#endif
