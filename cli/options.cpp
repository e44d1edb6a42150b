#include "options.h"

#include <optional>

#include "messages.h"
#include "output.h"
#include "token.h"

namespace cli {

bool next_option(option_loop& loop)
{
    if (loop.index + 1 >= loop.argc) {
        loop.index = loop.argc;
        return false;
    }
    ++loop.index;
    // An argument too long to normalise matches no keyword and is rejected.
    loop.token = normalize_token(loop.argv[loop.index]).value_or(std::string());
    return true;
}

bool mark_seen(option_loop& loop, std::uint32_t flag)
{
    if (loop.seen & flag) return false;
    loop.seen |= flag;
    return true;
}

void reject_option(const option_loop& loop)
{
    sayf(msg::invalid_input, loop.argv[loop.index - 1]);
}

int rejected(const option_loop& loop)
{
    reject_option(loop);
    return success_status;
}

bool require_options(const option_loop& loop, std::uint32_t required)
{
    if (loop.seen == required) return true;
    reject_option(loop);
    return false;
}

bool no_options(int argc, const char* const* argv)
{
    option_loop loop{argc, argv};
    if (!next_option(loop)) return true;
    reject_option(loop);
    return false;
}

} // namespace cli
