// The logical-drive block that -LDInfo and -LDPDInfo print.
#ifndef CLI_LD_REPORT_H
#define CLI_LD_REPORT_H

#include <optional>
#include <string>
#include <string_view>

#include "frame.h"
#include "raid_level.h"
#include "zandllctl.h"

namespace cli {

// The stripe size as shown ("None", "64kB" ... "512kB"); nothing for a size
// the tool cannot show.
[[nodiscard]] std::optional<std::string_view> shown_stripe_size(std::uint32_t sectors);

// The block of one logical drive (its text without the output routine's
// newline). `stop` when the record holds a RAID level or stripe size the
// tool cannot show: "DLL information is abnormal." is then printed and the
// command ends. A coded value missing from its value-name table ends the run.
outcome ld_block(frame& context, int adapter, int ld, const zan::LogicalDriveInfo& info,
                 const zan::RaidStatus& status, std::string& block);

// Reads the logical drive's record and the adapter's state and prints the
// block. `stop` when the command ends here (its message printed).
outcome print_ld_block(frame& context, int adapter, int ld);

} // namespace cli

#endif
