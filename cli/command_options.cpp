#include "command_options.h"

#include "ld_options.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "prompt.h"

namespace cli {

namespace {

// Seen-flags of the option loop: the accepted_option bits, and one for the
// action keywords, which share it so that a second action is a repetition.
inline constexpr std::uint32_t seen_action = 1u << 8;

void reject(const option_loop& loop, rejection_target naming)
{
    switch (naming) {
    case rejection_target::preceding:
        reject_option(loop);
        return;
    case rejection_target::command:
        sayf(msg::invalid_input, loop.argv[1]);
        return;
    case rejection_target::first_option:
        sayf(msg::invalid_input, loop.argv[loop.argc > 2 ? 2 : 1]);
        return;
    }
}

int find_action(std::span<const std::string_view> actions, std::string_view token)
{
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (actions[i] == token) return static_cast<int>(i);
    return -1;
}

// Recognises one option and records it; `stop` when it is invalid input.
outcome take_option(frame& context, option_loop& loop, const option_grammar& grammar, command_options& options)
{
    const std::string_view token = loop.token;
    const auto accepts = [&](std::uint32_t bit) { return (grammar.accepted & bit) != 0; };

    if (const int action = find_action(grammar.actions, token); action >= 0) {
        if (!mark_seen(loop, seen_action)) return outcome::stop;
        options.action = action;
        return outcome::go_on;
    }
    if (accepts(accepts_lds) && token.starts_with('l'))
        return go_on_if(mark_seen(loop, accepts_lds) && parse_ld_selection(token, options.lds));
    if (accepts(accepts_pds) && token.starts_with("physdrv["))
        return go_on_if(mark_seen(loop, accepts_pds) && parse_pd_selection(token, pd_order::ascending, options.pds));
    if (accepts(accepts_adapters) && token.starts_with('a'))
        return take_adapter_option(context, loop, accepts_adapters, options.adapters);
    if (accepts(accepts_nochk) && token == "nochk") {
        options.nochk = true;
        return go_on_if(mark_seen(loop, accepts_nochk));
    }
    return outcome::stop;
}

} // namespace

outcome read_command_options(frame& context, int argc, const char* const* argv, const option_grammar& grammar,
                             command_options& options)
{
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        const outcome taken = take_option(context, loop, grammar, options);
        if (taken == outcome::fatal) return outcome::fatal;
        if (taken == outcome::stop) {
            reject(loop, grammar.naming);
            return outcome::stop;
        }
    }
    std::uint32_t required = grammar.accepted & ~static_cast<std::uint32_t>(accepts_nochk);
    if (!grammar.actions.empty()) required |= seen_action;
    if ((loop.seen & ~static_cast<std::uint32_t>(accepts_nochk)) != required) {
        reject(loop, grammar.naming);
        return outcome::stop;
    }
    return outcome::go_on;
}

outcome read_ld_target_options(frame& context, int argc, const char* const* argv, const option_grammar& grammar,
                               command_options& options, std::vector<ld_target>& targets)
{
    const outcome read = read_command_options(context, argc, argv, grammar, options);
    if (read != outcome::go_on) return read;
    return resolve_ld_targets(context, options.adapters, options.lds, targets);
}

bool confirmed(const command_options& options, std::string_view question)
{
    return options.nochk || confirm(question) == answer::yes;
}

} // namespace cli
