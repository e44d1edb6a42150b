#include "ld_targets.h"

#include "library_errors.h"
#include "messages.h"
#include "output.h"

namespace cli {

bool read_raid_status(int adapter, zan::RaidStatus& status)
{
    return call_library(adapter, getRaidStatus, adapter, &status);
}

int count_logical_drives(const zan::RaidStatus& status)
{
    return used_entries(status.ld_state, max_drives);
}

outcome build_selection_matrix(frame& context, const adapter_list& adapters, const drive_list& lds,
                               selection_matrix& matrix)
{
    const bool all_lds = used_entries(lds.data(), max_drives) == max_drives;
    for (drive_list& row : matrix) row.fill(unused_entry);

    for (const std::uint8_t adapter : adapters) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return outcome::stop;
        for (const std::uint8_t ld : lds) {
            if (ld == unused_entry) continue;
            if (status.ld_state[ld] != zan::ABSENT) {
                matrix[adapter][ld] = selected_cell;
            } else if (!all_lds) {
                return fatal_end(context,
                                 format(msg::adapter_specified_not_exist, adapter, msg::object_virtual_drives, ld),
                                 adapter);
            }
        }
    }
    return outcome::go_on;
}

outcome resolve_ld_targets(frame& context, const adapter_selection& adapters, const ld_selection& lds,
                           std::vector<ld_target>& targets)
{
    targets.clear();
    selection_matrix matrix;
    if (const outcome built = build_selection_matrix(context, adapters.ids, lds.ids, matrix); built != outcome::go_on)
        return built;

    const bool all_of_both = adapters.all && lds.all;
    bool any_kept = false;
    for (const std::uint8_t adapter : adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return outcome::stop;
        if (count_logical_drives(status) == 0) {
            if (all_of_both) continue;
            if (lds.all) {
                sayf(msg::no_virtual_drive, adapter);
                return outcome::stop;
            }
        }
        any_kept = true;
    }
    if (all_of_both && !any_kept) {
        for (const std::uint8_t adapter : adapters.ids)
            if (adapter != unused_entry) sayf(msg::no_virtual_drive, adapter);
        return outcome::stop;
    }

    for (int adapter = 0; adapter < max_adapters; ++adapter)
        for (int ld = 0; ld < max_drives; ++ld)
            if (matrix[adapter][ld] == selected_cell) targets.push_back({adapter, ld});
    return outcome::go_on;
}

} // namespace cli
