// The mode pages the simulated firmware keeps per adapter: their defaults,
// and the copies that MODE SELECT replaced them with.
#ifndef SIM_ENGINE_MODE_PAGES_H
#define SIM_ENGINE_MODE_PAGES_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model.h"

namespace sim {

using mode_page = std::vector<std::uint8_t>;

// Page codes the firmware keeps, ascending.
std::span<const std::uint8_t> kept_page_codes();

// Empty when `page` (page code, page length, parameters) is a whole page of a
// kept code, else why not.
[[nodiscard]] std::string check_mode_page(std::span<const std::uint8_t> page);

// A kept page as the adapter holds it now, or its default; empty for a code
// the firmware does not keep.
mode_page current_mode_page(const adapter& a, std::uint8_t code);
mode_page default_mode_page(std::uint8_t code);

// Replaces a kept page (checked with check_mode_page). A page equal to its
// default drops the changed copy.
void store_mode_page(adapter& a, std::span<const std::uint8_t> page);

} // namespace sim

#endif
