// The console facilities the progress displays draw with: cursor, raw
// output, key test and pause. They are the platform's unless a test puts a
// simulated screen and clock in their place.
#ifndef CLI_DISPLAY_CONSOLE_H
#define CLI_DISPLAY_CONSOLE_H

#include <cstdint>
#include <string_view>

#include <plat/console.h>

namespace cli {

struct display_console {
    bool (*get_cursor)(plat::console_cursor& at);
    bool (*set_cursor)(plat::console_cursor at);
    void (*write)(std::string_view text); // as it stands, no line end added
    // True when a key is waiting, and also when no key can ever come
    // (standard input is not a console), so that no wait runs for ever.
    bool (*key_pressed)();
    void (*pause)(std::uint32_t milliseconds);
};

[[nodiscard]] const display_console& current_console();

// Puts `replacement` in place; returns the facilities that were in place.
display_console set_display_console(const display_console& replacement);

// Moves to `at`, writes `text` there and puts the cursor back at `home`.
// Nothing is written when `at` cannot be reached (a row scrolled off the
// top of the window).
void write_at(plat::console_cursor at, std::string_view text, plat::console_cursor home);

} // namespace cli

#endif
