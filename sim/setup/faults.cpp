// Fault injection and counters of the adapters of the root sim::root_dir().
#include "model.h"
#include "sim/control.h"
#include "sim/root.h"
#include "store.h"

namespace sim {

namespace {

// Long enough for any request in progress to end.
constexpr int LOCK_WAIT_MS = 5000;

std::string check_port(int port, const std::string& root)
{
    if (port < 0 || port > 255 || !adapter_exists(root, static_cast<std::uint32_t>(port))) {
        return "no adapter on port " + std::to_string(port);
    }
    return {};
}

// Loads, changes and saves an adapter's state under its lock.
template <class F>
std::string change_adapter(int port, F change)
{
    const std::string root = root_dir();
    if (std::string e = check_port(port, root); !e.empty()) return e;
    const auto p = static_cast<std::uint32_t>(port);
    adapter_lock lock;
    switch (lock.lock_within(root, p, LOCK_WAIT_MS)) {
    case adapter_lock::outcome::held: break;
    case adapter_lock::outcome::busy: return "the adapter on port " + std::to_string(port) + " stays busy";
    case adapter_lock::outcome::failed: return lock.error();
    }
    adapter a;
    if (std::string e = load_adapter(root, p, a); !e.empty()) return e;
    change(a.faults);
    return save_adapter(root, a);
}

} // namespace

std::string inject_busy(int port, std::uint32_t count)
{
    return change_adapter(port, [count](fault_plan& f) { f.busy = count; });
}

std::string inject_status(int port, std::uint16_t status, std::uint32_t count)
{
    return change_adapter(port, [status, count](fault_plan& f) {
        f.status = status;
        f.status_count = count;
    });
}

std::string set_silent(int port, bool silent)
{
    return change_adapter(port, [silent](fault_plan& f) { f.silent = silent ? 1 : 0; });
}

std::string clear_faults(int port)
{
    return change_adapter(port, [](fault_plan& f) { f = {}; });
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
