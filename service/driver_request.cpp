#include "driver_request.h"

#include <cstring>
#include <vector>

#include "exchange.h"

namespace zan {

bool send_driver_request(plat::device& port, std::uint32_t code, std::span<std::uint8_t> record,
                         std::uint32_t& os_error)
{
    os_error = 0;
    const control_code_layout* layout = find_control_code(code);
    if (layout == nullptr || record.size() != layout->record_size) return false;
    std::vector<std::uint8_t> buffer(ENVELOPE_HEADER_LENGTH + record.size());
    fill_envelope(buffer, SERVICE_SENDER, code, static_cast<std::uint32_t>(record.size()));
    std::memcpy(buffer.data() + ENVELOPE_HEADER_LENGTH, record.data(), record.size());
    const exchange_result result = run_exchange(port, buffer, layout->status_offset, SERVICE_SENDER.rule);
    if (result.end == exchange_end::send_failed) {
        os_error = result.os_error;
        return false;
    }
    std::memcpy(record.data(), buffer.data() + ENVELOPE_HEADER_LENGTH, record.size());
    return result.end == exchange_end::good;
}

} // namespace zan
