#include "commands.h"

#include <optional>
#include <string>

#include "token.h"

namespace cli {

namespace {

// In the order of the usage text; each command's entry sits at its place
// among the others, and "h", "help" and "?" share the usage routine.
constexpr command_entry command_table[] = {
    {"adpcount", command_adapter_count},
    {"cfgldadd", command_create_ld},
    {"cfgspanadd", command_create_span},
    {"v", command_version},
    {"h", command_usage},
    {"help", command_usage},
    {"?", command_usage},
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
