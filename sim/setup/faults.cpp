// Fault injection and counters of the adapters of the root sim::root_dir().
#include "change.h"
#include "faults.h"
#include "sim/control.h"

namespace sim {

std::string inject_busy(int port, std::uint32_t count)
{
    return change_adapter(port, [count](adapter& a) {
        a.faults.busy = count;
        return std::string();
    });
}

std::string inject_status(int port, std::uint16_t status, std::uint32_t count)
{
    return change_adapter(port, [status, count](adapter& a) {
        a.faults.status = status;
        a.faults.status_count = count;
        return std::string();
    });
}

std::string set_silent(int port, bool silent)
{
    return change_adapter(port, [silent](adapter& a) {
        a.faults.silent = silent ? 1 : 0;
        return std::string();
    });
}

namespace {

std::string arm_at(int port, std::uint64_t n, std::uint32_t answer, std::uint32_t value)
{
    if (n == 0) return "requests are counted from 1, the next one";
    return change_adapter(port, [n, answer, value](adapter& a) {
        arm_fault_at(a, n, answer, value);
        return std::string();
    });
}

} // namespace

std::string inject_status_at(int port, std::uint64_t n, std::uint16_t status)
{
    return arm_at(port, n, FAULT_AT_STATUS, status);
}

std::string inject_busy_at(int port, std::uint64_t n, std::uint32_t busy_count)
{
    if (busy_count == 0) return "a busy run is at least one answer long";
    return arm_at(port, n, FAULT_AT_BUSY, busy_count);
}

std::string inject_silence_at(int port, std::uint64_t n)
{
    return arm_at(port, n, FAULT_AT_SILENT, 0);
}

std::string clear_faults(int port)
{
    return change_adapter(port, [](adapter& a) {
        a.faults = {};
        return std::string();
    });
}

std::string request_count(int port, std::uint64_t& count)
{
    const std::string root = root_dir();
    if (std::string e = check_port(port, root); !e.empty()) return e;
    adapter a;
    if (std::string e = load_adapter(root, static_cast<std::uint32_t>(port), a); !e.empty()) return e;
    count = a.requests;
    return {};
}

} // namespace sim
