// The words and numbers the lists and dialogs show for the adapters' codes:
// state categories, long state texts, RAID levels, capacities and adapter
// kinds.
#ifndef GUI_STATE_TEXT_H
#define GUI_STATE_TEXT_H

#include <cstdint>
#include <functional>
#include <string>

#include "zandllctl.h"

namespace gui {

enum class state_category { optimal, smart_attention, preventive_copy, bad_spot, degraded, failed };

// Decides code 19 (a local spare in use): optimal when the remaining members
// are good. Asked only for that code.
using members_good_test = std::function<bool()>;

// The category of a logical-drive (or restorable) state code.
[[nodiscard]] state_category categorize(std::uint8_t code, const members_good_test& members_good);

// The list text of a category ("OPTIMAL", "DEGRADED", ...).
[[nodiscard]] const char* category_text(state_category category);

// The long text of the information dialogs ("Degraded (Rebuilding)", or
// "Undefined(7H)").
[[nodiscard]] std::string long_state_text(std::uint8_t code);

// The RAID level text of a logical drive or restorable ("RAID10" is level 1
// over four data drives or more); empty for a level without a text.
[[nodiscard]] std::string raid_level_text(const zan::LogicalDriveInfo& info);

// MB shown in GB with three decimals: 1234567 gives "1234.567".
[[nodiscard]] std::string gb_text(std::uint32_t mb);
// The same, "-" for 0 (logical-drive lists).
[[nodiscard]] std::string ld_capacity_text(std::uint32_t mb);
// The capacity of the creation and setup texts: the decimals only when the
// remainder is not 0, and then with the line end.
[[nodiscard]] std::string new_ld_capacity_text(std::uint32_t mb);

// Adapter kinds: 0 not supported, 1 four-slot, 2 eight-slot, 3 eight-slot ZAN610.
[[nodiscard]] std::uint8_t adapter_kind(const zan::ContInfo& info);
[[nodiscard]] std::uint8_t slot_count(std::uint8_t kind);

// Physical-drive state bytes of RaidStatus.
inline constexpr std::uint8_t hdd_absent = 0xFF;
inline constexpr std::uint8_t hdd_not_supported = 0x80;
inline constexpr std::uint8_t hdd_failed_bit = 0x20;

[[nodiscard]] constexpr bool hdd_present(std::uint8_t state)
{
    return state != hdd_absent && state != hdd_not_supported;
}

// Utilization codes (the class byte of PhysicalDriveInfo).
inline constexpr std::uint8_t use_member = 0;
inline constexpr std::uint8_t use_free_used = 1;
inline constexpr std::uint8_t use_spare_in_use = 2;
inline constexpr std::uint8_t use_free_spare = 3;
inline constexpr std::uint8_t use_free_fresh = 4;
inline constexpr std::uint8_t use_restorable = 5;

[[nodiscard]] constexpr bool is_free(std::uint8_t use)
{
    return use == use_free_used || use == use_free_fresh;
}
[[nodiscard]] constexpr bool is_spare(std::uint8_t use)
{
    return use == use_spare_in_use || use == use_free_spare;
}

// Hot-spare modes and the RAID 50 level code.
inline constexpr std::uint8_t spare_global = 0;
inline constexpr std::uint8_t spare_local = 1;
inline constexpr std::uint8_t spare_none = 2;
inline constexpr std::uint8_t level_raid50 = 80;

// A fixed-width record text up to its first zero byte.
template <std::size_t N>
[[nodiscard]] std::string record_text(const char (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

// Lines shared by the setup and information texts.
[[nodiscard]] std::string hot_spare_line(std::uint8_t mode);
[[nodiscard]] std::string cache_lines(std::uint8_t read_cache_off, std::uint8_t write_cache_off);

} // namespace gui

#endif
