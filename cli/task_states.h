// The task states of LogicalDriveInfo and PhysicalDriveInfo that the task
// commands decide by, and the actions the task commands share.
#ifndef CLI_TASK_STATES_H
#define CLI_TASK_STATES_H

#include <array>
#include <cstdint>
#include <string_view>

#include "messages.h"

namespace cli {

inline constexpr std::uint8_t raid_level_0 = 0;

// Rebuild state.
inline constexpr std::uint8_t rebuild_needed = 1;
inline constexpr std::uint8_t rebuild_executing = 2;

// Maintenance state.
inline constexpr std::uint8_t maintenance_none = 0;
inline constexpr std::uint8_t maintenance_check = 1;
inline constexpr std::uint8_t maintenance_parity = 2;

// Physical-drive class of a member in use.
inline constexpr std::uint8_t class_member_use = 0;

// -Start, -Abort, -ShowProg and -ProgDsply, in the order of their keywords.
enum class task_action { start, abort, show_progress, display_progress };
inline constexpr std::array<std::string_view, 4> task_action_keywords = {"start", "abort", "showprog", "progdsply"};

// "... is being executed." for a logical drive running maintenance `state`
// (1 or 2).
[[nodiscard]] inline const char* vd_executing_message(std::uint8_t state)
{
    return state == maintenance_check ? msg::vd_cc_executing : msg::vd_mp_executing;
}

} // namespace cli

#endif
