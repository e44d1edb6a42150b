// -AdpCount, -v and -h/-Help/?: the commands that take no options.
#include <cstdint>

#include "commands.h"
#include "library_errors.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "zandllctl.h"

namespace cli {

void command_adapter_count(frame&, int argc, const char* const* argv)
{
    if (!no_options(argc, argv)) return;
    std::uint8_t count = 0;
    if (!getContNum(&count)) {
        report_library_error(std::nullopt);
        return;
    }
    sayf(msg::adapter_count, count);
}

void command_version(frame&, int argc, const char* const* argv)
{
    if (!no_options(argc, argv)) return;
    sayf(msg::banner, ZAN_CLI_VERSION);
}

void command_usage(frame&, int argc, const char* const* argv)
{
    if (!no_options(argc, argv)) return;
    say(msg::usage);
}

} // namespace cli
