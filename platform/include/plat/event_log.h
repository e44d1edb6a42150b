// The Event Log: register an event source, report events under it (type,
// category, message ID, insertion strings, raw data), deregister.
#ifndef PLAT_EVENT_LOG_H
#define PLAT_EVENT_LOG_H

#include <cstdint>
#include <span>

namespace plat {

// Event types (EVENTLOG_ERROR_TYPE and so on).
inline constexpr std::uint16_t EVENT_ERROR = 0x0001;
inline constexpr std::uint16_t EVENT_WARNING = 0x0002;
inline constexpr std::uint16_t EVENT_INFORMATION = 0x0004;

class event_source {
public:
    event_source() = default;
    ~event_source();
    event_source(const event_source&) = delete;
    event_source& operator=(const event_source&) = delete;

    // RegisterEventSource on the local machine. On failure returns false with
    // last_error() set.
    [[nodiscard]] bool register_source(const char* name);
    // ReportEvent without a user. On failure returns false with last_error() set.
    [[nodiscard]] bool report(std::uint16_t type, std::uint16_t category, std::uint32_t event_id,
                              std::span<const char* const> strings, std::span<const std::uint8_t> data);
    // DeregisterEventSource; nothing when not registered.
    void deregister();

private:
    void* handle_ = nullptr;
};

} // namespace plat

#endif
