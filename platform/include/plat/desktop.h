// The desktop: message boxes (MessageBoxA without an owner window). A box
// with the service-notification style is shown on the interactive desktop
// even from a service.
#ifndef PLAT_DESKTOP_H
#define PLAT_DESKTOP_H

#include <cstdint>

namespace plat {

// Style bits (named apart from the Windows headers' macros).
inline constexpr std::uint32_t BOX_ICON_WARNING = 0x00000030;
inline constexpr std::uint32_t BOX_SERVICE_NOTIFICATION = 0x00200000;

// The answer of a box closed with its OK button.
inline constexpr std::int32_t BOX_ANSWER_OK = 1;

// Shows a box and returns the button that closed it, or 0 with last_error()
// set when no box can be shown. The hosted desktop records the box in the
// root (caption, text, style) and answers OK at once.
std::int32_t message_box(const char* text, const char* caption, std::uint32_t style);

} // namespace plat

#endif
