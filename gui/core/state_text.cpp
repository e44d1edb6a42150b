#include "state_text.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "raid_level.h"

namespace gui {

namespace {

struct long_text_entry {
    std::uint8_t code;
    const char* text;
};

inline constexpr long_text_entry long_texts[] = {
    {0, "Optimal"},
    {1, "Degraded (Rebuilding)"},
    {2, "Optimal (Copying Back from HS)"},
    {3, "Degraded (Copying)"},
    {4, "Optimal (SMART attention) "},
    {5, "Optimal (Preventive Copying)"},
    {6, "Optimal (Bad spot)"},
    {16, "Degraded (Waiting to Exchange HDD)"},
    {17, "Degraded (Copying to HS)"},
    {18, "Optimal (Using Global HS)"},
    {19, "Optimal (Using Local HS)"},
    {20, "Reserved(WARN4)"},
    {21, "Degraded (Preventive)"},
    {22, "Failed (Too Many Bad Spot)"},
    {32, "Failed (HDD failed on RAID0)"},
    {33, "Failed (Multiple HDD failed)"},
    {34, "Failed (Compulsion recovery from multiple HDD failed)"},
    {35, "Failed (Inconsistent)"},
    {36, "Failed (Data lost)"},
};

inline constexpr std::uint8_t failed_bit = 0x20;
inline constexpr std::uint8_t spare_bit = 0x10;

} // namespace

state_category categorize(std::uint8_t code, const members_good_test& members_good)
{
    if (code == 0) return state_category::optimal;
    if (code & failed_bit) return state_category::failed;
    if (code & spare_bit) {
        switch (code) {
        case 18:
        case 21:
            return state_category::optimal;
        case 20:
            return state_category::failed;
        case 19:
            return members_good() ? state_category::optimal : state_category::degraded;
        default:
            return state_category::degraded;
        }
    }
    switch (code) {
    case 2:
        return state_category::optimal;
    case 4:
        return state_category::smart_attention;
    case 5:
        return state_category::preventive_copy;
    case 6:
        return state_category::bad_spot;
    default:
        return state_category::degraded;
    }
}

const char* category_text(state_category category)
{
    switch (category) {
    case state_category::optimal:
    case state_category::preventive_copy:
        return "OPTIMAL";
    case state_category::smart_attention:
        return "OPTIMAL(S.M.A.R.T. Attention)";
    case state_category::bad_spot:
        return "OPTIMAL(Badspot exists)";
    case state_category::degraded:
        return "DEGRADED";
    case state_category::failed:
        break;
    }
    return "FAILED";
}

std::string long_state_text(std::uint8_t code)
{
    for (const auto& entry : long_texts) {
        if (entry.code == code) return entry.text;
    }
    char text[32];
    std::snprintf(text, sizeof text, "Undefined(%XH)", code);
    return text;
}

std::string raid_level_text(const zan::LogicalDriveInfo& info)
{
    if (info.raid_level == level_raid50) return "RAID50";
    const std::optional<int> level = zan::shown_raid_level(info);
    return level ? "RAID" + std::to_string(*level) : std::string();
}

std::string gb_text(std::uint32_t mb)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%03u", mb / 1000, mb % 1000);
    return text;
}

std::string ld_capacity_text(std::uint32_t mb)
{
    return mb == 0 ? "-" : gb_text(mb);
}

std::string new_ld_capacity_text(std::uint32_t mb)
{
    char text[32];
    if (mb % 1000 == 0) {
        std::snprintf(text, sizeof text, "%u", mb / 1000);
    } else {
        std::snprintf(text, sizeof text, "%u.%03u\r\n", mb / 1000, mb % 1000);
    }
    return text;
}

std::uint8_t adapter_kind(const zan::ContInfo& info)
{
    switch (info.driver_kind) {
    case 6:
        return 1;
    case 7:
        return std::memcmp(info.model_name, "ZAN610  ", sizeof info.model_name) == 0 ? 3 : 2;
    default:
        return 0;
    }
}

std::uint8_t slot_count(std::uint8_t kind)
{
    switch (kind) {
    case 1:
        return 4;
    case 2:
    case 3:
        return 8;
    default:
        return 0;
    }
}

std::string hot_spare_line(std::uint8_t mode)
{
    static const char* const modes[] = {"Global Hot Spare", "Local Hot Spare", "No Hot Spare"};
    return std::string("Hot Spare Mode\t\t") + (mode < std::size(modes) ? modes[mode] : "Undefined") + "\r\n";
}

std::string cache_lines(std::uint8_t read_cache_off, std::uint8_t write_cache_off)
{
    return std::string("Read Cache    \t\t") + (read_cache_off ? "OFF" : "ON") + "\r\n" + "Write Cache    \t\t" +
           (write_cache_off ? "OFF" : "ON") + "\r\n";
}

} // namespace gui
