// The creation rules of -CfgLDAdd and -CfgSpanADD: their option forms, the
// member counts per RAID level, the choice of the new logical drive's
// number and the creation record.
#ifndef CLI_LD_CREATE_H
#define CLI_LD_CREATE_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "selection.h"
#include "zandllctl.h"

namespace cli {

// The spanned RAID 10 of -CfgSpanADD (RAID level 1 on the adapter).
inline constexpr int raid10 = 10;

enum class raid_option_status { ok, invalid, unsupported };

// "r0[...]", "r1[...]" or "r5[...]" with a physical-drive list kept in
// command-line order. The digit 6 is a level this tool does not support;
// any other digit, or anything but "[" after it, is invalid.
[[nodiscard]] raid_option_status parse_raid_option(std::string_view token, int& level, drive_list& drives);

// "r10", the RAID option of -CfgSpanADD.
[[nodiscard]] bool is_raid10_option(std::string_view token);

// "array0[...]" or "array1[...]": the span number and its drives in
// command-line order.
[[nodiscard]] bool parse_span(std::string_view token, int& span, drive_list& drives);

// "afterld" followed by one or more digits, kept as typed.
[[nodiscard]] bool parse_after_ld(std::string_view token, std::string& digits);

// The logical-drive number "-afterLd" names, or nothing when it is not one
// digit 0-7.
[[nodiscard]] std::optional<int> after_ld_number(std::string_view digits);

// The lowest of logical drives 0-7 that does not exist, or nothing when the
// adapter has all eight.
[[nodiscard]] std::optional<int> lowest_free_ld(const zan::RaidStatus& status);

// Whether a RAID level (0, 1, 5 or raid10) can be built over `count` drives.
[[nodiscard]] bool member_count_fits(int level, int count);

// Whether a drive of this class may become a member: a spare or a restore
// candidate may not.
[[nodiscard]] bool class_may_join(std::uint8_t drive_class);

struct create_settings {
    int adapter;
    int ld;
    int level;                         // 0, 1, 5 or raid10
    std::vector<std::uint8_t> drives;  // in the order of the command line
    bool write_back;
    bool read_ahead;
};

// The record createLD takes.
[[nodiscard]] zan::CreateLDRecord create_record(const create_settings& settings);

} // namespace cli

#endif
