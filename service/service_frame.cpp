#include "service_frame.h"

#include <cstdio>
#include <mutex>

#include "monitor.h"
#include "plat/debug_output.h"
#include "plat/error.h"
#include "plat/service.h"
#include "plat/sync.h"
#include "reporter.h"
#include "trace.h"

namespace zan {

namespace {

constexpr char STOP_EVENT_NAME[] = "zanSrvEvent";
constexpr std::uint32_t MONITOR_INTERVAL_MS = 120000;

// The status record is shared by the handler (dispatcher thread) and the
// service thread; the lock keeps each change and its report together.
std::mutex status_mutex;
plat::service_status status;
plat::service_status_handle status_handle = nullptr;
plat::event stop_event;

[[nodiscard]] bool report_status_locked()
{
    return plat::set_service_status(status_handle, status);
}

void control_handler(std::uint32_t control)
{
    const std::lock_guard<std::mutex> guard(status_mutex);
    if (control == plat::SVC_CONTROL_STOP || control == plat::SVC_CONTROL_SHUTDOWN) {
        status.current_state = plat::SVC_STOP_PENDING;
        status.win32_exit_code = 0;
        status.check_point = 1;
        status.wait_hint = 600000;
        static_cast<void>(report_status_locked());
        static_cast<void>(stop_event.set());
        return;
    }
    static_cast<void>(report_status_locked());
}

void set_status(std::uint32_t state, std::uint32_t controls, std::uint32_t check_point, std::uint32_t wait_hint,
                std::uint32_t exit_code)
{
    const std::lock_guard<std::mutex> guard(status_mutex);
    status.service_type = plat::SVC_WIN32;
    status.current_state = state;
    status.controls_accepted = controls;
    status.check_point = check_point;
    status.wait_hint = wait_hint;
    status.win32_exit_code = exit_code;
    status.service_exit_code = exit_code;
}

bool stop_requested()
{
    const std::lock_guard<std::mutex> guard(status_mutex);
    return status.current_state == plat::SVC_STOP_PENDING;
}

// A failed start-up step: its system error becomes the service's last error.
void report_failed_step(monitor_state& m, const char* step)
{
    m.last_error = plat::last_error();
    report_event(0xA0000040, {step, system_text(m.last_error)});
}

void stop_sequence(monitor_state& m)
{
    stop_event.close();
    service_trace().event_codes.clear();
    set_status(plat::SVC_STOP_PENDING, 0, 1, 60000, m.last_error);
    {
        const std::lock_guard<std::mutex> guard(status_mutex);
        static_cast<void>(report_status_locked());
    }
    stop_adapters(m, [] {
        const std::lock_guard<std::mutex> guard(status_mutex);
        ++status.check_point;
        static_cast<void>(report_status_locked());
    });
    set_status(plat::SVC_STOPPED, 0, 0, 0, m.last_error);
    const std::lock_guard<std::mutex> guard(status_mutex);
    static_cast<void>(report_status_locked());
}

// Start-up up to the monitor loop; false where the stop sequence follows at once.
bool start_up(monitor_state& m)
{
    read_trace_configuration(service_trace());
    set_status(plat::SVC_START_PENDING, 0, 1, 90000, 0);
    status_handle = plat::register_control_handler(SERVICE_NAME, control_handler);
    if (status_handle == nullptr) {
        report_failed_step(m, "Register ServiceCtrHandler");
        return false;
    }
    {
        const std::lock_guard<std::mutex> guard(status_mutex);
        if (!report_status_locked()) {
            report_failed_step(m, "Set ServiceStatus");
            return false;
        }
    }
    report_event(0x60000010);
    if (!stop_event.create(STOP_EVENT_NAME, false)) {
        report_failed_step(m, "CreateEvent");
        return false;
    }
    set_status(plat::SVC_RUNNING, plat::SVC_ACCEPT_STOP | plat::SVC_ACCEPT_SHUTDOWN, 0, 0, 0);
    {
        const std::lock_guard<std::mutex> guard(status_mutex);
        static_cast<void>(report_status_locked());
    }
    if (discover(m) != discovery_end::found) {
        report_event(0xA0000016);
        return false;
    }
    // Nobody signals this event: it only times the pauses of the contact.
    plat::event pause;
    if (!pause.create(nullptr, false)) {
        report_failed_step(m, "CreateEvent");
        return false;
    }
    if (!contact(m, pause)) return false;
    start_monitoring(m);
    return true;
}

void service_main()
{
    monitor_state m;
    if (start_up(m)) {
        for (;;) {
            static_cast<void>(stop_event.wait(MONITOR_INTERVAL_MS));
            if (stop_requested()) break;
            poll_cycle(m);
        }
    }
    stop_sequence(m);
}

} // namespace

int run_service_program()
{
    if (plat::run_service_dispatcher(SERVICE_NAME, service_main)) return 0;
    const std::uint32_t error = plat::last_error();
    report_event(0xA0000040, {"StartServiceCtrlDispatcher", system_text(error)});
    char line[64];
    std::snprintf(line, sizeof line, " [Kraid] StartServiceCtrlDispatcher error = %u\n", error);
    plat::debug_output(line);
    return 1;
}

} // namespace zan
