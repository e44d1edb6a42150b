#include "ld_options.h"

namespace cli {

outcome take_adapter_option(frame& context, option_loop& loop, std::uint32_t flag, adapter_selection& selection)
{
    if (!mark_seen(loop, flag)) return outcome::stop;
    return parse_adapter_selection(context, loop.token, selection);
}

outcome take_single_adapter(frame& context, option_loop& loop, std::uint32_t flag, int& adapter)
{
    adapter_selection selection{};
    const outcome taken = take_adapter_option(context, loop, flag, selection);
    if (taken != outcome::go_on) return taken;
    if (selection.all || used_entries(selection.ids.data(), max_adapters) != 1) return outcome::stop;
    adapter = selection.ids[0];
    return outcome::go_on;
}

bool take_ld_option(option_loop& loop, std::uint32_t flag, ld_selection& selection)
{
    return mark_seen(loop, flag) && parse_ld_selection(loop.token, selection);
}

cache_option take_cache_option(std::string_view token, cache_choice& choice)
{
    if (token == "wt" || token == "wb") {
        choice.write_back = token == "wb";
        return cache_option::write;
    }
    if (token == "ra" || token == "nora") {
        choice.read_ahead = token == "ra";
        return cache_option::read;
    }
    return cache_option::none;
}

std::optional<bool> take_cache_option_once(option_loop& loop, std::uint32_t write_flag, std::uint32_t read_flag,
                                           cache_choice& choice)
{
    switch (take_cache_option(loop.token, choice)) {
    case cache_option::write:
        return mark_seen(loop, write_flag);
    case cache_option::read:
        return mark_seen(loop, read_flag);
    case cache_option::none:
        break;
    }
    return std::nullopt;
}

} // namespace cli
