// The option set most commands share: at most one action keyword out of a
// list, the logical-drive, physical-drive and adapter selections and "nochk".
// Commands with options of their own (values, spans) run the option loop of
// options.h themselves.
#ifndef CLI_COMMAND_OPTIONS_H
#define CLI_COMMAND_OPTIONS_H

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "frame.h"
#include "ld_targets.h"
#include "selection.h"

namespace cli {

// Which options a command takes besides its action keywords. All of them but
// "nochk" are required.
enum accepted_option : std::uint32_t {
    accepts_lds = 1u << 0,      // "l..." logical-drive selection
    accepts_pds = 1u << 1,      // "physdrv[...]" physical-drive selection, sorted
    accepts_adapters = 1u << 2, // "a..." adapter selection
    accepts_nochk = 1u << 3,    // "nochk": no confirmation prompt
};

// The argument an invalid-input message names.
enum class rejection_target {
    preceding,    // the argument before the one examined (the rule of most commands)
    command,      // always the command argument
    first_option, // always the first option argument (the command when there is none)
};

struct option_grammar {
    std::span<const std::string_view> actions; // exact keywords; one of them is required when not empty
    std::uint32_t accepted;                    // accepted_option bits
    rejection_target naming = rejection_target::preceding;
};

struct command_options {
    int action = -1;  // index of the action keyword given
    ld_selection lds{};
    drive_list pds{};
    adapter_selection adapters{};
    bool nochk = false;
};

// Reads the options from the third argument on: the action keywords first,
// then the selections, then "nochk". `stop` (invalid input printed) for an
// unknown or repeated option, a second action, a bad selection or a missing
// required option. Named adapters that do not exist end the run.
outcome read_command_options(frame& context, int argc, const char* const* argv, const option_grammar& grammar,
                             command_options& options);

// read_command_options, then the logical-drive targets the selections name
// (resolve_ld_targets).
outcome read_ld_target_options(frame& context, int argc, const char* const* argv, const option_grammar& grammar,
                               command_options& options, std::vector<ld_target>& targets);

// True when the command may act: "nochk" was given or `question` is
// answered yes.
[[nodiscard]] bool confirmed(const command_options& options, std::string_view question);

} // namespace cli

#endif
