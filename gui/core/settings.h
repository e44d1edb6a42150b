// The utility's settings, read once at start from its registry key.
#ifndef GUI_SETTINGS_H
#define GUI_SETTINGS_H

#include <cstdint>
#include <span>

#include "texts.h"

namespace gui {

inline constexpr char settings_key[] = "SOFTWARE\\Meridan\\zanutility";
inline constexpr std::uint8_t default_locate_value = 0x21;
inline constexpr std::uint8_t max_debug_level = 3;

struct util_settings {
    locale language = locale::english;
    std::uint8_t debug_level = 0;                    // 0 = no debug log
    std::uint8_t locate_value = default_locate_value; // LED pattern of "Location ON"
};

// "Locale": a DWORD, 1 for Japanese; anything else, of any type, is English.
[[nodiscard]] locale locale_from_value(std::uint32_t type, std::span<const std::uint8_t> data);
// "DBGmode": the value's first byte; missing, empty or above 3 is 0.
[[nodiscard]] std::uint8_t debug_level_from_value(std::span<const std::uint8_t> data);
// "LocateValue": the value's first byte when its high nibble is 1 to 3 and
// its low nibble 0 or 1; else 0x21.
[[nodiscard]] std::uint8_t locate_value_from_value(std::span<const std::uint8_t> data);

// Opens or creates the key. A new key gets "Locale" = 0 and the defaults; a
// key that cannot be opened for writing is read for "Locale" alone.
[[nodiscard]] util_settings read_settings();

} // namespace gui

#endif
