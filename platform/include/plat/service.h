// Service mechanics: the dispatcher that runs a service's main routine, the
// control handler and the status reports to the service controller.
#ifndef PLAT_SERVICE_H
#define PLAT_SERVICE_H

#include <cstdint>

namespace plat {

inline constexpr std::uint32_t SVC_WIN32 = 0x30;

// States.
inline constexpr std::uint32_t SVC_STOPPED = 1;
inline constexpr std::uint32_t SVC_START_PENDING = 2;
inline constexpr std::uint32_t SVC_STOP_PENDING = 3;
inline constexpr std::uint32_t SVC_RUNNING = 4;

// Controls and the controls-accepted bits.
inline constexpr std::uint32_t SVC_CONTROL_STOP = 1;
inline constexpr std::uint32_t SVC_CONTROL_INTERROGATE = 4;
inline constexpr std::uint32_t SVC_CONTROL_SHUTDOWN = 5;
inline constexpr std::uint32_t SVC_ACCEPT_STOP = 1;
inline constexpr std::uint32_t SVC_ACCEPT_SHUTDOWN = 4;

// SERVICE_STATUS.
struct service_status {
    std::uint32_t service_type = SVC_WIN32;
    std::uint32_t current_state = 0;
    std::uint32_t controls_accepted = 0;
    std::uint32_t win32_exit_code = 0;
    std::uint32_t service_exit_code = 0;
    std::uint32_t check_point = 0;
    std::uint32_t wait_hint = 0;
};

// StartServiceCtrlDispatcher with one entry: runs `service_main` as the
// service `name` and returns when the service has stopped. Returns false with
// last_error() set when the program was not started as a service.
[[nodiscard]] bool run_service_dispatcher(const char* name, void (*service_main)());

// RegisterServiceCtrlHandler: `handler` receives every control sent to the
// service, on the dispatcher's thread. Returns the status handle, or nullptr
// with last_error() set.
using service_status_handle = void*;
[[nodiscard]] service_status_handle register_control_handler(const char* name, void (*handler)(std::uint32_t control));

// SetServiceStatus. On failure returns false with last_error() set.
[[nodiscard]] bool set_service_status(service_status_handle handle, const service_status& status);

} // namespace plat

#endif
