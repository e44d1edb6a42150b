// Control of a simulated machine: creating roots from scenarios and injecting
// the faults the programs must react to. Each call returns an empty string on
// success or a message that says what went wrong.
#ifndef SIM_CONTROL_H
#define SIM_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The demo scenario compiled into the tools (the embedded default).
const std::string& demo_scenario();

// Creates the root sim::root_dir() anew from a scenario text: the adapters'
// state and the registry's SCSI port keys. An existing root is replaced.
[[nodiscard]] std::string create_root(const std::string& scenario_text);

// Faults of the adapter on SCSI port `port` of the root sim::root_dir().
[[nodiscard]] std::string inject_busy(int port, std::uint32_t count);
[[nodiscard]] std::string inject_status(int port, std::uint16_t status, std::uint32_t count);
[[nodiscard]] std::string set_silent(int port, bool silent);
// A fault for one request only: the `n`-th request the adapter receives from
// now (n >= 1) answers `status`, or begins a run of `busy_count` busy
// answers, or gets no answer at all; the requests before and after it are
// answered as usual. One such fault is armed at a time; arming replaces it.
[[nodiscard]] std::string inject_status_at(int port, std::uint64_t n, std::uint16_t status);
[[nodiscard]] std::string inject_busy_at(int port, std::uint64_t n, std::uint32_t busy_count);
[[nodiscard]] std::string inject_silence_at(int port, std::uint64_t n);
// Drops every pending fault of the adapter.
[[nodiscard]] std::string clear_faults(int port);

// Drives of the adapter on `port` as the hardware changes them: a drive that
// breaks (an alarm state), is pulled out of its slot, or is put into an empty
// slot. `settings` are "key=value" words with the keys of a scenario's
// [drive N] section; a drive put into a member's slot starts failed unless
// they give its state.
// A drive that breaks goes to `alarm_state` (0x20-0x2F).
[[nodiscard]] std::string fail_drive(int port, std::uint32_t hdd, std::uint32_t alarm_state = 0x20);
[[nodiscard]] std::string pull_drive(int port, std::uint32_t hdd);
[[nodiscard]] std::string insert_drive(int port, std::uint32_t hdd, const std::vector<std::string>& settings);

// Windows volumes: a drive letter on logical drive `logical` of the adapter on
// `port`, and its removal. Letters are unique on the machine; C: is the
// system volume.
[[nodiscard]] std::string add_volume(int port, std::uint32_t logical, char letter);
[[nodiscard]] std::string remove_volume(char letter);

// The machine's clock, which background work follows: real time, or a
// simulated clock that stands at `now_ms` (milliseconds since 1970) and
// moves only by advance_clock. Advancing real time freezes it first.
[[nodiscard]] std::string set_clock(std::uint64_t now_ms);
[[nodiscard]] std::string advance_clock(std::uint64_t ms);
[[nodiscard]] std::string use_real_time();
[[nodiscard]] std::string clock_now(bool& simulated, std::uint64_t& now_ms);

// The parity errors a consistency check or parity making of logical drive
// `logical` will find (counted as its errors as the work passes them).
[[nodiscard]] std::string set_inconsistencies(int port, std::uint32_t logical, std::uint32_t count);

// A restore candidate of level 0, 1, 5 or 10 on free drives, under the lowest
// free candidate number, which `number` receives.
[[nodiscard]] std::string add_restore_candidate(int port, std::uint32_t level, const std::vector<std::uint32_t>& drives,
                                                std::uint32_t& number);

// Bad spots of a present drive: LBAs added to its list (repeats once), or
// the list emptied.
[[nodiscard]] std::string add_bad_spots(int port, std::uint32_t hdd, const std::vector<std::uint32_t>& lbas);
[[nodiscard]] std::string clear_bad_spots(int port, std::uint32_t hdd);

// Writes `entry` (EVENT_SIZE bytes, the firmware's ControllerEvent layout)
// into the adapter's event-log ring as the firmware writes its own entries.
[[nodiscard]] std::string add_event(int port, const std::vector<std::uint8_t>& entry);

// Restarts the adapter: a downloaded firmware starts running.
[[nodiscard]] std::string restart(int port);

// Number of control requests the adapter on `port` has answered since the
// root was created, busy answers included.
[[nodiscard]] std::string request_count(int port, std::uint64_t& count);

} // namespace sim

#endif
