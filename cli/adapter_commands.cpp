// -AdpAllInfo, -AdpAutoRbld and -AdpPRSetDelay: the adapter report and the
// adapter-wide settings.
#include <array>
#include <string_view>
#include <vector>

#include "adapter_report.h"
#include "command_options.h"
#include "commands.h"
#include "ld_targets.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "value_names.h"
#include "zandllctl.h"

namespace cli {

namespace {

// -AdpAutoRbld actions, in the order of the action keywords.
enum auto_rebuild_action { enable_action, disable_action, display_action };
constexpr std::array<std::string_view, 3> auto_rebuild_keywords = {"enbl", "dsbl", "dsply"};

// setAutoRebuild switches and the auto-rebuild byte of LogicalDriveInfo.
inline constexpr int auto_rebuild_on = 1;
inline constexpr int auto_rebuild_off = 0;
inline constexpr std::uint8_t auto_rebuild_enabled_byte = 0;
inline constexpr std::uint8_t auto_rebuild_disabled_byte = 1;

// -AdpPRSetDelay keywords; the delay code is the keyword's index plus one.
constexpr std::array<std::string_view, 3> patrol_delay_keywords = {"high", "middle", "low"};

// Prints the report of one adapter. `stop` when the command ends here: a
// read failed (error reported) or a code cannot be shown.
outcome report_adapter(frame& context, int adapter)
{
    zan::ContInfo info;
    zan::ContPara para;
    if (!call_library(adapter, getContInfo, adapter, &info) || !call_library(adapter, getContPara, adapter, &para))
        return outcome::stop;

    adapter_report_names names{};
    const outcome named =
        name_values(context, adapter,
                    {{kind_rebuild_priority, info.rebuild_priority_idle.get(), &names.priority_idle},
                     {kind_rebuild_priority, info.rebuild_priority_busy.get(), &names.priority_busy}});
    if (named != outcome::go_on) return named;
    const std::optional<int> weeks = patrol_delay_weeks(info.patrol_read_delay.get());
    names.bank = find_flash_bank(para.flash_rom_state);
    if (!weeks || names.bank == nullptr) {
        sayf(msg::information_abnormal, adapter);
        return outcome::stop;
    }
    names.patrol_weeks = *weeks;
    say(format_adapter_report(adapter, info, para, names));
    return outcome::go_on;
}

void say_auto_rebuild(int adapter, int ld, const char* setting)
{
    sayf(msg::auto_rebuild_state, adapter, ld, setting);
}

// Carries out the action on one logical drive; false when a library call
// failed (error reported).
bool auto_rebuild_target(int action, const ld_target& target)
{
    if (action == display_action) {
        zan::LogicalDriveInfo info;
        if (!call_library(target.adapter, getLogicalDriveInfo, target.adapter, target.ld, &info)) return false;
        if (info.auto_rebuild == auto_rebuild_enabled_byte) {
            say_auto_rebuild(target.adapter, target.ld, msg::auto_rebuild_enabled);
        } else if (info.auto_rebuild == auto_rebuild_disabled_byte) {
            say_auto_rebuild(target.adapter, target.ld, msg::auto_rebuild_disabled);
        }
        return true;
    }

    const bool enable = action == enable_action;
    if (!call_library(target.adapter, setAutoRebuild, target.adapter, target.ld, enable ? auto_rebuild_on : auto_rebuild_off))
        return false;
    say_auto_rebuild(target.adapter, target.ld, enable ? msg::auto_rebuild_enabled : msg::auto_rebuild_disabled);
    return true;
}

} // namespace

int command_adapter_all_info(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{{}, accepts_adapters, rejection_target::command};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);

    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        if (const outcome reported = report_adapter(context, adapter); reported != outcome::go_on)
            return status_after(reported);
    }
    return success_status;
}

int command_adapter_auto_rebuild(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{auto_rebuild_keywords, accepts_lds | accepts_adapters | accepts_nochk};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);
    if (!confirmed(options, msg::confirm_generic)) return success_status;

    std::vector<ld_target> targets;
    if (const outcome resolved = resolve_ld_targets(context, options.adapters, options.lds, targets);
        resolved != outcome::go_on)
        return status_after(resolved);
    for (const ld_target& target : targets)
        if (!auto_rebuild_target(options.action, target)) return success_status;
    return success_status;
}

int command_adapter_patrol_delay(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{patrol_delay_keywords, accepts_adapters | accepts_nochk};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);
    if (!confirmed(options, msg::confirm_generic)) return success_status;

    // The keywords stand for the codes 1 to 3, which all have their weeks.
    const int code = options.action + 1;
    const int weeks = *patrol_delay_weeks(static_cast<unsigned>(code));
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        if (!call_library(adapter, setHDDintv, adapter, code)) return success_status;
        sayf(msg::patrol_delay_set, adapter, weeks);
    }
    return success_status;
}

} // namespace cli
