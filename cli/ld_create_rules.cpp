#include "ld_create.h"

#include <algorithm>

namespace cli {

namespace {

// Hot-spare modes and classes of the adapter's records.
inline constexpr std::uint8_t hot_spare_global = 0;
inline constexpr std::uint8_t hot_spare_none = 2;
inline constexpr std::uint8_t class_spare_use = 2;
inline constexpr std::uint8_t class_spare_no_use = 3;
inline constexpr std::uint8_t class_restore_candidate = 5;

// RAID 1 and RAID 10 are both level 1 on the adapter.
inline constexpr std::uint8_t adapter_level_mirror = 1;

bool all_digits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Parses "[...]" (what follows the level or span number) into a drive list
// in command-line order.
bool parse_drive_brackets(std::string_view text, drive_list& drives)
{
    return text.starts_with('[') && parse_pd_selection(text, pd_order::as_given, drives);
}

} // namespace

raid_option_status parse_raid_option(std::string_view token, int& level, drive_list& drives)
{
    if (token.size() < 2 || token[0] != 'r') return raid_option_status::invalid;
    switch (token[1]) {
    case '0':
    case '1':
    case '5':
        level = token[1] - '0';
        break;
    case '6':
        return raid_option_status::unsupported;
    default:
        return raid_option_status::invalid;
    }
    return parse_drive_brackets(token.substr(2), drives) ? raid_option_status::ok : raid_option_status::invalid;
}

bool is_raid10_option(std::string_view token)
{
    return token == "r10";
}

bool parse_span(std::string_view token, int& span, drive_list& drives)
{
    constexpr std::string_view prefix = "array";
    if (!token.starts_with(prefix) || token.size() <= prefix.size()) return false;
    const char number = token[prefix.size()];
    if (number != '0' && number != '1') return false;
    span = number - '0';
    return parse_drive_brackets(token.substr(prefix.size() + 1), drives);
}

bool parse_after_ld(std::string_view token, std::string& digits)
{
    constexpr std::string_view prefix = "afterld";
    if (!token.starts_with(prefix)) return false;
    const std::string_view rest = token.substr(prefix.size());
    if (rest.empty() || !all_digits(rest)) return false;
    digits = rest;
    return true;
}

std::optional<int> after_ld_number(std::string_view digits)
{
    if (digits.size() != 1) return std::nullopt;
    const int number = digits[0] - '0';
    if (number >= max_drives) return std::nullopt;
    return number;
}

std::optional<int> lowest_free_ld(const zan::RaidStatus& status)
{
    for (int ld = 0; ld < max_drives; ++ld)
        if (status.ld_state[ld] == zan::ABSENT) return ld;
    return std::nullopt;
}

bool member_count_fits(int level, int count)
{
    switch (level) {
    case 0:
        return count >= 1 && count <= max_drives;
    case 1:
        return count == 2;
    case 5:
        return count >= 3 && count <= 6;
    case raid10:
        return count == 4 || count == 6 || count == 8;
    default:
        return false;
    }
}

bool class_may_join(std::uint8_t drive_class)
{
    return drive_class != class_spare_use && drive_class != class_spare_no_use &&
           drive_class != class_restore_candidate;
}

zan::CreateLDRecord create_record(const create_settings& settings)
{
    zan::CreateLDRecord record{};
    record.controller = static_cast<std::uint8_t>(settings.adapter);
    record.group = static_cast<std::uint8_t>(settings.ld);
    const std::size_t count = std::min(settings.drives.size(), std::size(record.members));
    record.member_count = static_cast<std::uint8_t>(count);
    std::copy_n(settings.drives.begin(), count, record.members);
    record.hot_spare_mode = settings.level == 0 ? hot_spare_none : hot_spare_global;
    record.raid_level = settings.level == raid10 ? adapter_level_mirror : static_cast<std::uint8_t>(settings.level);
    record.no_read_ahead = settings.read_ahead ? 0 : 1;
    record.write_through = settings.write_back ? 0 : 1;
    record.sub_group = settings.level == raid10 ? 1 : 0;
    return record;
}

} // namespace cli
