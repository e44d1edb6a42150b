#include "display_console.h"

#include <plat/error.h>
#include <plat/sync.h>

namespace cli {

namespace {

bool platform_key_pressed()
{
    if (plat::console_key_pressed()) return true;
    return plat::last_error() != plat::ERR_SUCCESS;
}

display_console facilities = {
    plat::console_get_cursor, plat::console_set_cursor, plat::console_write, platform_key_pressed, plat::sleep_ms,
};

} // namespace

const display_console& current_console()
{
    return facilities;
}

display_console set_display_console(const display_console& replacement)
{
    const display_console previous = facilities;
    facilities = replacement;
    return previous;
}

void write_at(plat::console_cursor at, std::string_view text, plat::console_cursor home)
{
    if (facilities.set_cursor(at)) facilities.write(text);
    static_cast<void>(facilities.set_cursor(home));
}

} // namespace cli
