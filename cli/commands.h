// The command table of zancli and the command routines it starts.
#ifndef CLI_COMMANDS_H
#define CLI_COMMANDS_H

#include <string_view>

#include "frame.h"

namespace cli {

struct command_entry {
    std::string_view keyword; // normalised form of the command argument
    command_fn run;
};

// The entry whose keyword equals the normalised command argument (the first
// one, searching from the front), or nullptr.
[[nodiscard]] const command_entry* find_command(std::string_view argument);

// Command routines of the frame itself.
[[nodiscard]] int command_adapter_count(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_version(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_usage(frame& context, int argc, const char* const* argv);

// Adapter commands.
[[nodiscard]] int command_adapter_all_info(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_adapter_auto_rebuild(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_adapter_patrol_delay(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_prevent_limit_info(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_prevent_limit_set(frame& context, int argc, const char* const* argv);

// Physical-drive commands.
[[nodiscard]] int command_pd_info(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_online(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_offline(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_hot_spare(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_count(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_list(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_locate(frame& context, int argc, const char* const* argv);

// Logical-drive configuration commands.
[[nodiscard]] int command_create_ld(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_create_span(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_delete_ld(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_ld_info(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_ld_set_prop(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_ld_get_prop(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_ld_pd_info(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_ld_get_num(frame& context, int argc, const char* const* argv);

// Restore and bad-spot commands.
[[nodiscard]] int command_restore_list(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_restore(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_restore_info(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_bad_spots(frame& context, int argc, const char* const* argv);

// Background-task commands.
[[nodiscard]] int command_ld_consistency_check(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_ld_make_parity(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_rebuild(frame& context, int argc, const char* const* argv);
[[nodiscard]] int command_pd_rebuild_priority(frame& context, int argc, const char* const* argv);

// Firmware update.
[[nodiscard]] int command_firmware_flash(frame& context, int argc, const char* const* argv);

} // namespace cli

#endif
