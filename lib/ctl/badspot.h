// Conversion of an adapter's raw bad-spot list (READ BUFFER id 0xE0) into the
// caller's BadspotInfo.
#ifndef ZAN_BADSPOT_H
#define ZAN_BADSPOT_H

#include <cstddef>
#include <span>

#include "zandllctl.h"

namespace zan {

inline constexpr std::size_t RAW_BADSPOT_SIZE = 0x110;

BadspotInfo convert_badspot(std::span<const std::uint8_t, RAW_BADSPOT_SIZE> raw);

} // namespace zan

#endif
