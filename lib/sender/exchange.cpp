#include "exchange.h"

#include <cstring>

#include "plat/error.h"
#include "plat/sync.h"

namespace zan {

void fill_envelope(std::span<std::uint8_t> buffer, const sender_profile& sender, std::uint32_t control_code,
                   std::uint32_t length)
{
    if (buffer.size() < ENVELOPE_HEADER_LENGTH) return;
    auto* header = reinterpret_cast<SRB_IO_CONTROL*>(buffer.data());
    header->HeaderLength.set(ENVELOPE_HEADER_LENGTH);
    std::memcpy(header->Signature, sender.signature, sizeof header->Signature);
    header->Timeout.set(sender.timeout_seconds);
    header->ControlCode.set(control_code);
    header->ReturnCode.set(0);
    header->Length.set(length);
}

exchange_result run_exchange(plat::device& device, std::span<std::uint8_t> buffer, std::uint32_t status_offset,
                             const retry_rule& rule, const resend_hook& before_resend)
{
    exchange_result result{exchange_end::good, 0, 0, 0};
    constexpr std::size_t STATUS_WORD_BYTES = 2;
    if (buffer.size() < std::size_t{ENVELOPE_HEADER_LENGTH} + status_offset + STATUS_WORD_BYTES) {
        result.end = exchange_end::short_buffer;
        return result;
    }
    const auto size = static_cast<std::uint32_t>(buffer.size());
    const std::uint8_t* status_word = buffer.data() + ENVELOPE_HEADER_LENGTH + status_offset;
    std::uint32_t attempts = 0;
    std::uint32_t busy = 0;
    for (;;) {
        if (result.sends > 0 && before_resend) before_resend(buffer);
        std::uint32_t returned = 0;
        ++result.sends;
        if (!device.control(IOCTL_SCSI_MINIPORT, buffer.data(), size, buffer.data(), size, &returned)) {
            result.end = exchange_end::send_failed;
            result.os_error = plat::last_error();
            if (!rule.send_failure_is_retried) return result;
            plat::sleep_ms(rule.pause_ms);
            if (++attempts >= rule.failure_attempts) return result;
            continue;
        }
        result.status = load_le16(status_word);
        if (result.status == IOC_STATUS_GOOD) {
            result.end = exchange_end::good;
            return result;
        }
        if (result.status == IOC_STATUS_FAILURE && rule.failure_status_is_final) {
            result.end = exchange_end::failure_status;
            return result;
        }
        plat::sleep_ms(rule.pause_ms);
        if (result.status == IOC_STATUS_DEVICE_BUSY) {
            if (busy >= rule.busy_limit) {
                result.end = exchange_end::busy_limit;
                return result;
            }
            ++busy;
            if (rule.busy_restarts_attempts) attempts = 1;
        } else {
            ++attempts;
        }
        if (attempts >= rule.failure_attempts) {
            result.end = exchange_end::attempts_exhausted;
            return result;
        }
    }
}

} // namespace zan
