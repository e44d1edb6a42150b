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

// Lists what the deletion would touch and asks. `stop` when the command
// ends: "no" at the prompt, or an adapter's state cannot be read.
outcome confirm_deletion(frame& context, const command_options& options)
{
    const bool every_ld_listed = used_entries(options.lds.ids.data(), max_drives) == max_drives;

    std::vector<int> with_lds;
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::RaidStatus status;
        if (!read_raid_status(adapter, status)) return outcome::stop;
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
        if (!read_raid_status(adapter, status)) return outcome::stop;
        for (const std::uint8_t ld : options.lds.ids) {
            if (ld == unused_entry) continue;
            if (status.ld_state[ld] != zan::ABSENT) {
                bool has_volume = false;
                if (ld_has_volume(context, adapter, ld, has_volume) == outcome::fatal) return outcome::fatal;
                sayf(has_volume ? msg::delete_listing_volume : msg::delete_listing_drive, adapter, ld);
            } else if (!every_ld_listed) {
                sayf(msg::delete_listing_missing, adapter, ld);
            }
        }
    }
    return confirm(msg::confirm_delete) == answer::yes ? outcome::go_on : outcome::stop;
}

constexpr option_grammar delete_options = {{}, accepts_lds | accepts_adapters | accepts_nochk};

} // namespace

int command_delete_ld(frame& context, int argc, const char* const* argv)
{
    command_options options;
    if (const outcome read = read_command_options(context, argc, argv, delete_options, options); read != outcome::go_on)
        return status_after(read);
    if (!options.nochk) {
        if (const outcome asked = confirm_deletion(context, options); asked != outcome::go_on)
            return status_after(asked);
    }

    std::vector<ld_target> targets;
    if (const outcome resolved = resolve_ld_targets(context, options.adapters, options.lds, targets);
        resolved != outcome::go_on)
        return status_after(resolved);
    for (const ld_target& target : targets) {
        bool has_volume = false;
        if (ld_has_volume(context, target.adapter, target.ld, has_volume) == outcome::fatal) return fatal_status;
        if (has_volume) {
            sayf(msg::cannot_delete_with_letters, target.adapter, target.ld);
            continue;
        }
        if (!call_library(target.adapter, deleteLD, target.adapter, target.ld)) return success_status;
        sayf(msg::deleted_virtual_drive, target.adapter, target.ld);
    }
    return success_status;
}

} // namespace cli
