// The request exchange shared by every sender of control envelopes: fill the
// SRB_IO_CONTROL header, send the buffer with IOCTL_SCSI_MINIPORT, and repeat
// on busy and failure answers under the sender's retry rule.
#ifndef ZAN_EXCHANGE_H
#define ZAN_EXCHANGE_H

#include <cstdint>
#include <functional>
#include <span>

#include "plat/device.h"
#include "zanioctl.h"

namespace zan {

struct retry_rule {
    std::uint32_t failure_attempts;  // attempts ending in a failure (status or send) before giving up
    std::uint32_t busy_limit;        // busy answers tolerated; one more ends the exchange
    std::uint32_t pause_ms;          // pause after a busy or failure answer
    bool failure_status_is_final;    // IOC_STATUS_FAILURE ends the exchange at once
    bool busy_restarts_attempts;     // a busy answer sets the attempt count back to one
    bool send_failure_is_retried;    // a failed send counts as a failed attempt instead of ending the exchange
};

struct sender_profile {
    const u8 (&signature)[8];
    std::uint32_t timeout_seconds;
    retry_rule rule;
};

// The controller control library: 5 attempts, 350 busy answers, 5 ms pauses,
// IOC_STATUS_FAILURE final; a busy answer restarts the attempt count; a failed
// send ends the exchange.
inline constexpr sender_profile LIBRARY_SENDER = {SIGNATURE_CONTROL, 10, {5, 350, 5, true, true, false}};

// The firmware download: a piece is sent again after up to 350 busy answers
// and up to 5 other failure statuses (IOC_STATUS_FAILURE among them), the two
// counted apart.
inline constexpr sender_profile DOWNLOAD_SENDER = {SIGNATURE_CONTROL, 20, {6, 350, 5, false, false, false}};

// The monitoring service: failed sends and every status but busy share five
// repeats after the first attempt; busy answers are counted apart, up to 350.
inline constexpr sender_profile SERVICE_SENDER = {SIGNATURE_SERVICE, 60, {6, 350, 5, false, false, true}};

// The log tool's adapter reads: five repeats after failure statuses, 350
// after busy answers, counted apart; a failed send is not repeated.
inline constexpr sender_profile LOG_SENDER = {SIGNATURE_SERVICE, 20, {6, 350, 5, false, false, false}};

enum class exchange_end {
    good,               // status word 0
    send_failed,        // DeviceIoControl failed (the last attempt, under a rule that repeats it); os_error holds why
    failure_status,     // IOC_STATUS_FAILURE answered and final
    attempts_exhausted, // failure statuses until the attempt limit
    busy_limit,         // busy answers beyond the limit
    short_buffer,       // the buffer does not reach the status word; nothing was sent
};

struct exchange_result {
    exchange_end end;
    std::uint16_t status;    // the last status word read
    std::uint32_t os_error;  // for send_failed
    std::uint32_t sends;     // DeviceIoControl calls made
};

// Called before every resend with the whole buffer (header and record), for a
// sender that writes parts of its request anew after the answer overwrote them.
using resend_hook = std::function<void(std::span<std::uint8_t> buffer)>;

// Writes the envelope header for `control_code` with record length `length`
// at the start of `buffer` (which holds header and record). A buffer shorter
// than the header is left alone; run_exchange refuses it.
void fill_envelope(std::span<std::uint8_t> buffer, const sender_profile& sender, std::uint32_t control_code,
                   std::uint32_t length);

// Sends `buffer` (header and record) on the open device until the rule ends
// the exchange. The status word is read at `status_offset` of the record; a
// buffer that ends before that word is refused unsent (short_buffer).
[[nodiscard]] exchange_result run_exchange(plat::device& device, std::span<std::uint8_t> buffer,
                                           std::uint32_t status_offset, const retry_rule& rule,
                                           const resend_hook& before_resend = {});

} // namespace zan

#endif
