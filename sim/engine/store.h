// Where and how an adapter's state lives under the root: one text state file
// and one lock file per SCSI port, in <root>/adapters.
#ifndef SIM_ENGINE_STORE_H
#define SIM_ENGINE_STORE_H

#include <string>
#include <vector>

#include "model.h"

namespace plat::hosted {
enum class durability; // posix_io.h
}

namespace sim {

std::string adapters_dir(const std::string& root);
std::string state_path(const std::string& root, std::uint32_t port);

bool adapter_exists(const std::string& root, std::uint32_t port);

// Ports that have a state file, in ascending order.
std::vector<std::uint32_t> list_ports(const std::string& root);

// Reads and parses the state of the adapter on `port`. Returns an empty
// string or a message naming the file and what is wrong with it.
[[nodiscard]] std::string load_adapter(const std::string& root, std::uint32_t port, adapter& out);

// Replaces the state file of a.port as one step (write_file_safely). Call
// with the lock held.
[[nodiscard]] std::string save_adapter(const std::string& root, const adapter& a);

// Replaces a whole file of the root as one step: written to a temporary file
// of a unique name, every write and the close checked, renamed over the old
// one. Returns an empty string or what went wrong.
[[nodiscard]] std::string write_file_safely(const std::string& path, const std::string& text,
                                            plat::hosted::durability level);

// The adapter's lock: an exclusive lock on its lock file, through a fresh
// open file description each time, so that two requests conflict whether they
// come from two processes or two threads of one. Released when destroyed.
class adapter_lock {
public:
    enum class outcome { held, busy, failed };

    adapter_lock() = default;
    ~adapter_lock();
    adapter_lock(const adapter_lock&) = delete;
    adapter_lock& operator=(const adapter_lock&) = delete;

    // One attempt, without waiting.
    [[nodiscard]] outcome try_lock(const std::string& root, std::uint32_t port);
    // Attempts for up to `timeout_ms`, for control operations that may wait
    // for a request in progress.
    [[nodiscard]] outcome lock_within(const std::string& root, std::uint32_t port, int timeout_ms);

    // What made the last attempt fail (outcome::failed).
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

} // namespace sim

#endif
