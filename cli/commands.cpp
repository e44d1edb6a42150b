#include "commands.h"

#include <optional>
#include <string>

#include "token.h"

namespace cli {

namespace {

// In the order of the usage text; each command's entry sits at its place
// among the others, and "h", "help" and "?" share the usage routine.
constexpr command_entry command_table[] = {
    {"adpallinfo", command_adapter_all_info},
    {"adpcount", command_adapter_count},
    {"adpautorbld", command_adapter_auto_rebuild},
    {"adpprsetdelay", command_adapter_patrol_delay},
    {"cfgldadd", command_create_ld},
    {"cfgspanadd", command_create_span},
    {"cfglddel", command_delete_ld},
    {"ldinfo", command_ld_info},
    {"ldsetprop", command_ld_set_prop},
    {"ldgetprop", command_ld_get_prop},
    {"ldcc", command_ld_consistency_check},
    {"ldpdinfo", command_ld_pd_info},
    {"ldgetnum", command_ld_get_num},
    {"pdinfo", command_pd_info},
    {"pdonline", command_pd_online},
    {"pdoffline", command_pd_offline},
    {"pdhsp", command_pd_hot_spare},
    {"pdrbld", command_pd_rebuild},
    {"pdgetnum", command_pd_count},
    {"pdlist", command_pd_list},
    {"v", command_version},
    {"h", command_usage},
    {"help", command_usage},
    {"?", command_usage},
    {"pdrbldprrty", command_pd_rebuild_priority},
    {"ldparity", command_ld_make_parity},
    {"ldrstrdrvlist", command_restore_list},
    {"ldrstr", command_restore},
    {"ldrstrdrvinfo", command_restore_info},
    {"ldbadspot", command_bad_spots},
    {"glprevlimitinfo", command_prevent_limit_info},
    {"glprevlimitset", command_prevent_limit_set},
    {"adpfwflash", command_firmware_flash},
    {"pdlocate", command_pd_locate},
};

} // namespace

const command_entry* find_command(std::string_view argument)
{
    const std::optional<std::string> keyword = normalize_token(argument);
    if (!keyword) return nullptr;
    for (const command_entry& entry : command_table)
        if (entry.keyword == *keyword) return &entry;
    return nullptr;
}

} // namespace cli
