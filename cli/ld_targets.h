// From adapter and logical-drive selections to the logical drives a command
// acts on: the selection matrix and the target list.
#ifndef CLI_LD_TARGETS_H
#define CLI_LD_TARGETS_H

#include <array>
#include <cstdint>
#include <vector>

#include "frame.h"
#include "selection.h"
#include "zandllctl.h"

namespace cli {

// One row per adapter, one cell per logical drive: selected_cell for a
// selected logical drive that exists, unused_entry for anything else.
using selection_matrix = std::array<drive_list, max_adapters>;
inline constexpr std::uint8_t selected_cell = 1;

struct ld_target {
    int adapter;
    int ld;
};

// getRaidStatus; on failure reports the library error for the adapter.
[[nodiscard]] bool read_raid_status(int adapter, zan::RaidStatus& status);

// Number of logical drives 0-7 that exist on the adapter.
[[nodiscard]] int count_logical_drives(const zan::RaidStatus& status);

// Marks the listed logical drives of every listed adapter. A named logical
// drive that does not exist ends the run; a missing one is passed over
// when the list names all eight. `stop` (error reported) when an adapter's
// state cannot be read.
outcome build_selection_matrix(frame& context, const adapter_list& adapters, const drive_list& lds,
                               selection_matrix& matrix);

// The logical drives a command acts on, by ascending adapter and logical
// drive. `stop` when the command ends here (its messages printed): an
// adapter's state cannot be read, or "-Lall" finds no logical drive.
outcome resolve_ld_targets(frame& context, const adapter_selection& adapters, const ld_selection& lds,
                           std::vector<ld_target>& targets);

} // namespace cli

#endif
