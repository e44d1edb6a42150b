// The adapter report of -AdpAllInfo and the codes it translates.
#ifndef CLI_ADAPTER_REPORT_H
#define CLI_ADAPTER_REPORT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zandllctl.h"

namespace cli {

// What the flash ROM state byte of ContPara shows: the start bank and the
// checksum results of both banks.
struct flash_bank_text {
    std::uint8_t state;
    std::string_view start_bank;
    std::string_view checksums;
};

// The row of an accepted flash ROM state, or nullptr for any other value.
[[nodiscard]] const flash_bank_text* find_flash_bank(std::uint8_t state);

// Weeks of a patrol-read delay code (1, 2, 3: 2, 4, 8 weeks); nothing for
// any other code.
[[nodiscard]] std::optional<int> patrol_delay_weeks(unsigned code);

// The translated parts of the report.
struct adapter_report_names {
    const flash_bank_text* bank;
    std::string_view priority_idle;
    std::string_view priority_busy;
    int patrol_weeks;
};

// The whole report of one adapter, its 45 lines and a closing "\n".
[[nodiscard]] std::string format_adapter_report(int adapter, const zan::ContInfo& info, const zan::ContPara& para,
                                                const adapter_report_names& names);

} // namespace cli

#endif
