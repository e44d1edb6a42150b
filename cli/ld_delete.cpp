// -CfgLDDel: delete logical drives, never one that carries a Windows volume.
#include <vector>

#include "command_options.h"
#include "commands.h"
#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "partition_check.h"
#include "prompt.h"

namespace cli {

namespace {

// Lists what the deletion would touch and asks. False when the command ends:
// "no" at the prompt, or an adapter's state cannot be read.
bool confirm_deletion(frame& context, const command_options& options)
{
    const bool every_ld_listed = used_entries(options.lds.ids.data(), max_drives) == max_drives;

    std::vector<int> with_lds;
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return false;
        if (count_logical_drives(status) != 0) {
            with_lds.push_back(adapter);
        } else if (!options.adapters.all && every_ld_listed) {
            sayf(msg::no_virtual_drive, adapter);
        }
    }
    if (options.adapters.all && options.lds.all && with_lds.empty()) {
        for (const std::uint8_t adapter : options.adapters.ids)
            if (adapter != unused_entry) sayf(msg::no_virtual_drive, adapter);
    }

    for (const int adapter : with_lds) {
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return false;
        for (const std::uint8_t ld : options.lds.ids) {
            if (ld == unused_entry) continue;
            if (status.ld_state[ld] != zan::ABSENT) {
                sayf(ld_has_volume(context, adapter, ld) ? msg::delete_listing_volume : msg::delete_listing_drive,
                     adapter, ld);
            } else if (!every_ld_listed) {
                sayf(msg::delete_listing_missing, adapter, ld);
            }
        }
    }
    return confirm(msg::confirm_delete) == answer::yes;
}

constexpr option_spec delete_options = {{}, accepts_lds | accepts_adapters | accepts_nochk};

} // namespace

void command_delete_ld(frame& context, int argc, const char* const* argv)
{
    command_options options;
    if (!read_command_options(context, argc, argv, delete_options, options)) return;
    if (!options.nochk && !confirm_deletion(context, options)) return;

    std::vector<ld_target> targets;
    if (!resolve_ld_targets(context, options.adapters, options.lds, targets)) return;
    for (const ld_target& target : targets) {
        if (ld_has_volume(context, target.adapter, target.ld)) {
            sayf(msg::cannot_delete_with_letters, target.adapter, target.ld);
            continue;
        }
        if (!deleteLD(target.adapter, target.ld)) {
            report_library_error(target.adapter);
            return;
        }
        sayf(msg::deleted_virtual_drive, target.adapter, target.ld);
    }
}

} // namespace cli
