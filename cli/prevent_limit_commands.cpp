// glprevlimitinfo and glprevlimitset: show and set an adapter's prevent
// limits. Both are left out of the usage text.
#include "prevent_limits.h"

#include "command_options.h"
#include "commands.h"
#include "ld_options.h"
#include "library_errors.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "prompt.h"

namespace cli {

namespace {

struct limit_keyword {
    std::string_view keyword;
    const char* set_message;
};

// Indexed by prevent_limit.
constexpr limit_keyword limit_keywords[limit_count] = {
    {"pl", msg::prevent_limit_set},
    {"om", msg::prevent_limit_one_month_set},
    {"hy", msg::prevent_limit_half_year_set},
    {"oy", msg::prevent_limit_one_year_set},
};
constexpr std::string_view all_keyword = "all";

// Seen-flags: one per count (bits 0-3), "all", the adapter and "nochk".
inline constexpr std::uint32_t seen_all = 1u << limit_count;
inline constexpr std::uint32_t seen_limits = seen_all - 1;
inline constexpr std::uint32_t seen_adapter = seen_all << 1;
inline constexpr std::uint32_t seen_nochk = seen_all << 2;

std::optional<std::uint16_t> parse_limit_value(std::string_view digits)
{
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 0xFFFF) return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// The counts of a record in prevent_limit order.
template <typename Record>
auto limit_fields(Record& info)
{
    return std::array{&info.prevent_limit, &info.prevent_limit_one_month, &info.prevent_limit_half_year,
                      &info.prevent_limit_one_year};
}

struct set_request {
    prevent_limit_values values;
    adapter_selection adapters{};
    bool nochk = false;
};

// Takes one option of glprevlimitset; `stop` when it is invalid input.
outcome take_set_option(frame& context, option_loop& loop, set_request& request)
{
    const limit_option option = parse_limit_option(loop.token);
    if (option.matched) {
        if (!option.value) return outcome::stop;
        if (option.all) {
            if (loop.seen & seen_limits || !mark_seen(loop, seen_all)) return outcome::stop;
            request.values.fill(option.value);
            return outcome::go_on;
        }
        if (loop.seen & seen_all || !mark_seen(loop, 1u << option.limit)) return outcome::stop;
        request.values[option.limit] = option.value;
        return outcome::go_on;
    }
    if (loop.token.starts_with('a')) return take_adapter_option(context, loop, seen_adapter, request.adapters);
    if (loop.token == "nochk") {
        request.nochk = true;
        return go_on_if(mark_seen(loop, seen_nochk));
    }
    return outcome::stop;
}

} // namespace

limit_option parse_limit_option(std::string_view token)
{
    for (int limit = 0; limit < limit_count; ++limit) {
        const std::string_view keyword = limit_keywords[limit].keyword;
        if (token.starts_with(keyword)) return {true, false, limit, parse_limit_value(token.substr(keyword.size()))};
    }
    if (token.starts_with(all_keyword))
        return {true, true, limit_prevent, parse_limit_value(token.substr(all_keyword.size()))};
    return {false, false, limit_prevent, std::nullopt};
}

zan::GListInfo apply_limits(const zan::GListInfo& current, const prevent_limit_values& values)
{
    zan::GListInfo next = current;
    const auto fields = limit_fields(next);
    for (int limit = 0; limit < limit_count; ++limit)
        if (values[limit]) fields[limit]->set(*values[limit]);
    return next;
}

int command_prevent_limit_info(frame& context, int argc, const char* const* argv)
{
    command_options options;
    const option_grammar grammar{{}, accepts_adapters, rejection_target::first_option};
    if (const outcome read = read_command_options(context, argc, argv, grammar, options); read != outcome::go_on)
        return status_after(read);

    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::GListInfo info;
        if (!call_library(adapter, getGListInfo, adapter, &info)) return success_status;
        const auto fields = limit_fields(info);
        sayf(msg::prevent_limits, adapter, static_cast<int>(fields[limit_prevent]->get()),
             static_cast<int>(fields[limit_one_month]->get()), static_cast<int>(fields[limit_half_year]->get()),
             static_cast<int>(fields[limit_one_year]->get()));
    }
    return success_status;
}

int command_prevent_limit_set(frame& context, int argc, const char* const* argv)
{
    set_request request;
    option_loop loop{argc, argv};
    while (next_option(loop)) {
        const outcome taken = take_set_option(context, loop, request);
        if (taken == outcome::fatal) return fatal_status;
        if (taken == outcome::stop) return rejected(loop);
    }
    if (!(loop.seen & seen_adapter) || !(loop.seen & (seen_limits | seen_all))) return rejected(loop);
    if (!request.nochk && confirm(msg::confirm_generic) == answer::no) return success_status;

    for (const std::uint8_t adapter : request.adapters.ids) {
        if (adapter == unused_entry) continue;
        zan::GListInfo info;
        if (!call_library(adapter, getGListInfo, adapter, &info)) return success_status;
        const zan::GListInfo next = apply_limits(info, request.values);
        if (!call_library(adapter, setGListInfo, adapter, &next)) return success_status;
        for (int limit = 0; limit < limit_count; ++limit)
            if (request.values[limit]) sayf(limit_keywords[limit].set_message, adapter, *request.values[limit]);
    }
    return success_status;
}

} // namespace cli
