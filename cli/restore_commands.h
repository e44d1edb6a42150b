// Pieces of the restore and bad-spot commands that need no adapter: the
// bad-spot list of a logical drive and the choices of a restore request.
#ifndef CLI_RESTORE_COMMANDS_H
#define CLI_RESTORE_COMMANDS_H

#include <cstdint>
#include <vector>

#include "zandllctl.h"

namespace cli {

// Merges a member drive's bad spots into a logical drive's list, which stays
// ascending without repeats. At most the 16 listed addresses count, however
// many the record claims; 0xFFFFFFFF is never listed.
void merge_bad_spots(std::vector<std::uint32_t>& list, const zan::BadspotInfo& info);

// The state of candidate `ld` in the restore status; ABSENT for a number the
// record has no place for.
[[nodiscard]] std::uint8_t candidate_state(const zan::RestoreStatus& status, int ld);

// The request that restores candidate `source` under `destination` with the
// candidate's own cache settings, each switched on (read ahead, write back)
// when its option was given.
[[nodiscard]] zan::RestoreLDRecord restore_request(int adapter, int source, int destination,
                                                   const zan::LogicalDriveInfo& candidate, bool write_cache_option,
                                                   bool read_cache_option);

// The request that discards candidate `source`.
[[nodiscard]] zan::RestoreLDRecord delete_request(int adapter, int source);

} // namespace cli

#endif
