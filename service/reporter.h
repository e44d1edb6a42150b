// The service's one reporting routine: every Event Log report goes through
// it under the event source "zanservice", with the event type its ID's
// severity gives.
#ifndef ZAN_SERVICE_REPORTER_H
#define ZAN_SERVICE_REPORTER_H

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace zan {

inline constexpr char SERVICE_NAME[] = "zanservice";
inline constexpr std::uint8_t NO_ADAPTER = 255;

// Reports `id` with its insertion strings and raw data for adapter
// `adapter` (0-3, NO_ADAPTER for none). A source that can't be registered
// drops the report.
void report_event(std::uint32_t id, std::span<const std::string> strings, std::span<const std::uint8_t> data = {},
                  std::uint8_t adapter = NO_ADAPTER);
void report_event(std::uint32_t id, std::initializer_list<std::string> strings = {});

// The system's message text for an error code, without its line end.
std::string system_text(std::uint32_t os_error);

} // namespace zan

#endif
