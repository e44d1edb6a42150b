// Changing an adapter's state from outside a request: under its lock, waiting
// a while for a request in progress, loaded, brought up to the clock,
// changed and saved in one step.
#ifndef SIM_SETUP_CHANGE_H
#define SIM_SETUP_CHANGE_H

#include <string>

#include "clock.h"
#include "model.h"
#include "sim/root.h"
#include "store.h"
#include "tasks.h"

namespace sim {

// Long enough for any request in progress to end.
inline constexpr int LOCK_WAIT_MS = 5000;

inline std::string check_port(int port, const std::string& root)
{
    if (port < 0 || port > 255 || !adapter_exists(root, static_cast<std::uint32_t>(port))) {
        return "no adapter on port " + std::to_string(port);
    }
    return {};
}

// Runs `change` while holding the root's lock file `name` (clock.lock,
// volumes.lock): a read-modify-write of something the whole machine shares.
template <class F>
std::string with_root_lock(const char* name, F change)
{
    root_lock lock;
    const std::string path = root_dir() + "/" + name;
    switch (lock.lock_within(path, LOCK_WAIT_MS)) {
    case root_lock::outcome::held: break;
    case root_lock::outcome::busy: return path + " stays locked";
    case root_lock::outcome::failed: return lock.error();
    }
    return change();
}

// `change` returns an empty string, or why it refuses (nothing is saved).
template <class F>
std::string change_adapter(int port, F change)
{
    const std::string root = root_dir();
    if (std::string e = check_port(port, root); !e.empty()) return e;
    const auto p = static_cast<std::uint32_t>(port);
    root_lock lock;
    switch (lock.lock_within(adapter_lock_path(root, p), LOCK_WAIT_MS)) {
    case root_lock::outcome::held: break;
    case root_lock::outcome::busy: return "the adapter on port " + std::to_string(port) + " stays busy";
    case root_lock::outcome::failed: return lock.error();
    }
    adapter a;
    if (std::string e = load_adapter(root, p, a); !e.empty()) return e;
    clock_reading clock;
    if (std::string e = read_clock(root, clock); !e.empty()) return e;
    advance_tasks(a, clock.now_ms);
    if (std::string e = change(a); !e.empty()) return e;
    return save_adapter(root, a);
}

} // namespace sim

#endif
