#include "ld_options.h"

namespace cli {

bool take_adapter_option(frame& context, option_loop& loop, std::uint32_t flag, adapter_selection& selection)
{
    return mark_seen(loop, flag) && parse_adapter_selection(context, loop.token, selection);
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
