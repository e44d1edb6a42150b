// Where and how an adapter's state lives under the root, in <root>/adapters:
//   portN.state   the model as text, ending in a checksum line; replaced in
//                 one step, and only when the model changed
//   portN.events  the event-log ring, EVENT_SLOTS x EVENT_SIZE bytes, written
//                 in place by slot (absent until the first entry)
//   portN.lock    the adapter's lock, and the bookkeeping every request
//                 touches (request counter, clock), kept in place in a small
//                 record mapped into memory
//   portN.driveD.blocks, portN.blocks.journal
//                 the blocks the drives hold (data_blocks.h); the data work
//                 of the background tasks is done as the state is saved
// Each process parses a state file once and reuses the parsed model while
// the file is the same file.
#ifndef SIM_ENGINE_STORE_H
#define SIM_ENGINE_STORE_H

#include <span>
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

// The state of the adapter on `port` with its bookkeeping, event entries
// read from its ring file. Returns an empty string or a message naming the
// file and what is wrong with it (unreadable, not parsing, damaged).
[[nodiscard]] std::string load_adapter(const std::string& root, std::uint32_t port, adapter& out);

// Makes the files of a.port hold `a`: new event entries go into the ring
// (a.events is emptied), the state file is replaced only when the model
// differs from the one last loaded or saved, and the bookkeeping is recorded
// in place. Call with the lock held.
[[nodiscard]] std::string save_adapter(const std::string& root, adapter& a);

// Copies ring bytes from `offset` of the ring file `path`; what the file does
// not hold (no file, or slots never written) reads as EVENT_EMPTY_FILL.
void read_event_ring(const std::string& path, std::size_t offset, std::span<std::uint8_t> out);

// Replaces a whole file of the root as one step: written to a temporary file
// of a unique name, every write and the close checked, renamed over the old
// one. Returns an empty string or what went wrong.
[[nodiscard]] std::string write_file_safely(const std::string& path, const std::string& text,
                                            plat::hosted::durability level);

// Makes everything written under the root so far survive a machine crash
// (the requests themselves only guard against a killed process).
[[nodiscard]] std::string sync_root(const std::string& root);

// An exclusive lock on a lock file of the root, through a fresh open file
// description each time, so that two holders conflict whether they are two
// processes or two threads of one. Released when destroyed.
class root_lock {
public:
    enum class outcome { held, busy, failed };

    root_lock() = default;
    ~root_lock();
    root_lock(const root_lock&) = delete;
    root_lock& operator=(const root_lock&) = delete;

    // One attempt, without waiting.
    [[nodiscard]] outcome try_lock(const std::string& path);
    // Attempts for up to `timeout_ms`, for control operations that may wait
    // for a request in progress.
    [[nodiscard]] outcome lock_within(const std::string& path, int timeout_ms);

    // What made the last attempt fail (outcome::failed).
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

// The lock file of the adapter on `port`: a request takes it without
// waiting and answers busy when it is held.
std::string adapter_lock_path(const std::string& root, std::uint32_t port);

} // namespace sim

#endif
