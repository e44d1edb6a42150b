#include "monitor.h"

#include <cstring>
#include <vector>

#include "detail_code.h"
#include "driver_request.h"
#include "event_walk.h"
#include "plat/error.h"
#include "reporter.h"
#include "scsi_ports.h"
#include "trace.h"
#include "turbine.h"
#include "zanioctl.h"

namespace zan {

namespace {

constexpr std::size_t RAID_STATUS_EVENT_INDEX = 48;
constexpr std::uint8_t SERVICE_STARTED = 0x10;
constexpr std::uint8_t SERVICE_STOPS = 0x11;
constexpr std::uint32_t STOP_STEP_MS = 1000;

std::uint8_t controller_number(const monitored_controller& a)
{
    return a.controller_info[0];
}

bool request(monitored_controller& a, std::uint32_t code, std::span<std::uint8_t> record, std::uint32_t* os_error = nullptr)
{
    std::uint32_t error = 0;
    const bool good = send_driver_request(a.port, code, record, error);
    if (os_error != nullptr && error != 0) *os_error = error;
    return good;
}

// GET_CONTROLLER_INFO, then GET_RAID_STATUS.
bool probe(monitored_controller& a, std::uint32_t* os_error)
{
    std::array<std::uint8_t, 84> info{};
    info[0] = 0xFF;
    if (!request(a, IOCTL_KRAID_GET_CONTROLLER_INFO, info, os_error)) return false;
    a.controller_info = info;
    return request(a, IOCTL_KRAID_GET_RAID_STATUS, a.raid_status, os_error);
}

bool set_clock(monitored_controller& a)
{
    std::array<std::uint8_t, 278> record{};
    const std::uint8_t cdb[] = {0x15, 0x11, 0x00, 0x00, 28, 0x00};
    std::memcpy(record.data() + 6, cdb, sizeof cdb);
    const auto parameters = clock_parameters(plat::now_local());
    std::memcpy(record.data() + 22, parameters.data(), parameters.size());
    return request(a, IOCTL_KRAID_SCSI_MODE_SELECT, record);
}

void set_clock_or_report(monitored_controller& a, std::uint8_t index)
{
    if (set_clock(a)) return;
    report_event(0x60001298, {std::to_string(index), detail_code(REASON_CLOCK, index, 0xFF, 0xFF, 0xFF)});
}

bool send_service_state(monitored_controller& a, std::uint8_t state)
{
    std::array<std::uint8_t, 6> record{};
    record[0] = controller_number(a);
    record[1] = state;
    return request(a, IOCTL_KRAID_SET_SERVICE_STATE, record);
}

void walk(monitor_state& m, std::uint8_t index)
{
    monitored_controller& a = m.adapters[index];
    const std::uint32_t event_index = load_le32(a.raid_status.data() + RAID_STATUS_EVENT_INDEX);
    const event_walk_io io{
        [&a](std::uint32_t i, event_buffer& entry) {
            std::array<std::uint8_t, 524> record{};
            record[0] = controller_number(a);
            store_le32(record.data() + 4, i * static_cast<std::uint32_t>(CONTROLLER_EVENT_SIZE));
            if (!request(a, IOCTL_KRAID_GET_EVENT_LOG, record)) return false;
            std::memcpy(entry.data(), record.data() + 12, entry.size());
            return true;
        },
        [&m, index](controller_event entry) {
            for (const event_report& r : decode_event(entry, index, m.counters)) {
                report_event(r.id, r.strings, r.data, index);
            }
        }};
    static_cast<void>(walk_event_log(a.resume, event_index, io));
}

std::uint8_t bcd(unsigned value)
{
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

void notify_stop(void* adapter)
{
    static_cast<void>(send_service_state(*static_cast<monitored_controller*>(adapter), SERVICE_STOPS));
}

} // namespace

discovery_end discover(monitor_state& m)
{
    const port_walk_visitor visitor{
        [&m](const scsi_port& port) {
            monitored_controller& a = m.adapters[m.found];
            if (!a.port.open(port.device_path)) {
                report_event(0xA0000042, {"Open Port Device File", system_text(0)});
                return true;
            }
            a.port_number = port.number;
            return ++m.found < MAX_ADAPTERS;
        },
        [](port_walk_step, std::uint32_t) {}};
    const port_walk_result result = walk_scsi_ports(SERVICE_DRIVER_KINDS, visitor);
    if (result.end == port_walk_end::no_scsi_key) {
        m.last_error = result.os_error;
        report_event(0xA0000041, {"Open DEVICEMAP\\scsi", system_text(result.os_error)});
        return discovery_end::failed;
    }
    return m.found == 0 ? discovery_end::none : discovery_end::found;
}

bool contact(monitor_state& m, plat::event& pause)
{
    for (std::uint32_t attempt = 0; attempt < CONTACT_ATTEMPTS; ++attempt) {
        bool any = false;
        for (std::uint32_t i = 0; i < m.found; ++i) {
            monitored_controller& a = m.adapters[i];
            if (probe(a, &m.last_error)) {
                a.present = true;
                ++m.answered;
                any = true;
            }
        }
        if (any) return true;
        static_cast<void>(pause.wait(CONTACT_PAUSE_MS));
    }
    for (std::uint32_t i = 0; i < m.found; ++i) {
        const auto index = static_cast<std::uint8_t>(i);
        report_event(0xE0000015, {detail_code(REASON_NO_ANSWER, index, 0xFF, 0xFF, 0xFF)});
    }
    return false;
}

void start_monitoring(monitor_state& m)
{
    m.counters.fill(0);
    service_trace().counter = 0;
    poll_cycle(m);
    for (std::uint32_t i = 0; i < m.found; ++i) {
        monitored_controller& a = m.adapters[i];
        if (!a.present) continue;
        const auto index = static_cast<std::uint8_t>(i);
        set_clock_or_report(a, index);
        std::array<std::uint8_t, 276> dump_info{};
        dump_info[0] = controller_number(a);
        if (!request(a, IOCTL_KRAID_GET_DUMP_INFO, dump_info)) {
            report_event(0xE0001292, {detail_code(REASON_DUMP_INFO, index, 0xFF, 0xFF, 0xFF)});
        }
    }
    for (std::uint32_t i = 0; i < m.found; ++i) {
        if (controller_number(m.adapters[i]) != 0) run_turbine_checks(m.adapters[i]);
    }
    for (std::uint32_t i = 0; i < m.found; ++i) {
        if (m.adapters[i].present) static_cast<void>(send_service_state(m.adapters[i], SERVICE_STARTED));
    }
}

void poll_cycle(monitor_state& m)
{
    if (m.answered < m.found) {
        for (std::uint32_t i = 0; i < m.found; ++i) {
            if (!m.adapters[i].present && probe(m.adapters[i], nullptr)) ++m.answered;
        }
    }
    ++m.clock_counter;
    for (std::uint32_t i = 0; i < m.found; ++i) {
        monitored_controller& a = m.adapters[i];
        if (!a.present) continue;
        const auto index = static_cast<std::uint8_t>(i);
        a.previous_raid_status = a.raid_status;
        if (!request(a, IOCTL_KRAID_GET_RAID_STATUS, a.raid_status) ||
            load_le32(a.raid_status.data() + RAID_STATUS_EVENT_INDEX) >= EVENT_RING_SLOTS) {
            continue;
        }
        walk(m, index);
        if (m.clock_counter > CLOCK_SETTING_CYCLES) set_clock_or_report(a, index);
    }
    if (m.clock_counter > CLOCK_SETTING_CYCLES) m.clock_counter = 0;
    trace_check(service_trace(), m.found, start_log_tool);
}

void stop_adapters(monitor_state& m, const std::function<void()>& still_waiting)
{
    std::array<plat::thread, MAX_ADAPTERS> notices;
    for (std::uint32_t i = 0; i < m.found; ++i) static_cast<void>(notices[i].start(notify_stop, &m.adapters[i]));
    for (std::uint32_t i = 0; i < m.found; ++i) {
        if (!notices[i].is_open()) continue;
        plat::wait_result r;
        while ((r = notices[i].wait(STOP_STEP_MS)) == plat::wait_result::timeout) still_waiting();
        if (r == plat::wait_result::failed) break;
    }
    for (std::uint32_t i = 0; i < m.found; ++i) m.adapters[i].port.close();
}

std::array<std::uint8_t, 28> clock_parameters(const plat::local_time& t)
{
    return {0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x32, 0x0E,
            bcd(t.year % 100), bcd(t.month), bcd(t.day), 0x00, bcd(t.hour), bcd(t.minute), bcd(t.second),
            bcd(t.year / 100), 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

} // namespace zan
