// -AdpCount, -v and -h/-Help/?: the commands that take no options.
#include <cstdint>

#include "commands.h"
#include "library_errors.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "zandllctl.h"

namespace cli {

int command_adapter_count(frame&, int argc, const char* const* argv)
{
    if (!no_options(argc, argv)) return success_status;
    std::uint8_t count = 0;
    if (!call_library(std::nullopt, getContNum, &count)) return success_status;
    sayf(msg::adapter_count, count);
    return success_status;
}

int command_version(frame&, int argc, const char* const* argv)
{
    if (!no_options(argc, argv)) return success_status;
    sayf(msg::banner, ZAN_CLI_VERSION);
    return success_status;
}

int command_usage(frame&, int argc, const char* const* argv)
{
    if (!no_options(argc, argv)) return success_status;
    say(msg::usage);
    return success_status;
}

} // namespace cli
