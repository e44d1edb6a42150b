// The drive commands of the drive logs: one SCSI command at a time, wrapped
// for the drive behind the adapter and sent through the pass-through
// library, repeated while another pass-through is in progress.
#ifndef ZANLOG_DRIVE_COMMANDS_H
#define ZANLOG_DRIVE_COMMANDS_H

#include <cstdint>
#include <span>

namespace zanlog {

// The library call that carries a command.
enum class drive_call { any, inquiry, log_sense, internal_log };

struct drive_outcome {
    bool done = false;           // the library completed the call
    std::uint8_t scsi_status = 0;
    std::uint32_t received = 0;  // data bytes received
};

class drive_channel {
public:
    drive_channel(int controller, int drive) : controller_(controller), drive_(drive) {}

    // Sends `command` (6 or 10 bytes), reading into `data` when it is not
    // empty. A failed call is reported (1011 busy as such, 1117 general) and
    // comes back not done.
    [[nodiscard]] drive_outcome send(drive_call call, std::span<const std::uint8_t> command,
                                     std::span<std::uint8_t> data = {});

private:
    int controller_;
    int drive_;
};

} // namespace zanlog

#endif
