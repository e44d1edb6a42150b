#include "command_options.h"

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

// Recognises one option and records it; false when it is invalid input.
bool take_option(frame& context, option_loop& loop, const option_spec& grammar, command_options& options)
{
    const std::string_view token = loop.token;
    const auto accepts = [&](std::uint32_t bit) { return (grammar.accepted & bit) != 0; };

    if (const int action = find_action(grammar.actions, token); action >= 0) {
        if (!mark_seen(loop, seen_action)) return false;
        options.action = action;
        return true;
    }
    if (accepts(accepts_lds) && token.starts_with('l'))
        return mark_seen(loop, accepts_lds) && parse_ld_selection(token, options.lds);
    if (accepts(accepts_pds) && token.starts_with("physdrv["))
        return mark_seen(loop, accepts_pds) && parse_pd_selection(token, pd_order::ascending, options.pds);
    if (accepts(accepts_adapters) && token.starts_with('a'))
        return mark_seen(loop, accepts_adapters) && parse_adapter_selection(context, token, options.adapters);
    if (accepts(accepts_nochk) && token == "nochk") {
        options.nochk = true;
        return mark_seen(loop, accepts_nochk);
    }
    return false;
}

} // namespace

bool read_command_options(frame& context, int argc, const char* const* argv, const option_spec& grammar,
                          command_options& options)
{
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        if (!take_option(context, loop, grammar, options)) {
            reject(loop, grammar.naming);
            return false;
        }
    }
    std::uint32_t required = grammar.accepted & ~static_cast<std::uint32_t>(accepts_nochk);
    if (!grammar.actions.empty()) required |= seen_action;
    if ((loop.seen & ~static_cast<std::uint32_t>(accepts_nochk)) != required) {
        reject(loop, grammar.naming);
        return false;
    }
    return true;
}

bool confirmed(const command_options& options, std::string_view question)
{
    return options.nochk || confirm(question) == answer::yes;
}

} // namespace cli
