#include "settings.h"

#include <vector>

#include <plat/error.h>
#include <plat/registry.h>

#include "zanbytes.h"

namespace gui {

namespace {

inline constexpr std::uint32_t japanese_locale = 1;

struct registry_value {
    bool present = false;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// A value of any type and size; absent when it cannot be read.
registry_value read_value(const plat::reg_key& key, const char* name)
{
    registry_value value;
    value.data.resize(16);
    std::uint32_t size = static_cast<std::uint32_t>(value.data.size());
    std::uint32_t result = key.query_value(name, value.type, value.data.data(), size);
    if (result == plat::ERR_MORE_DATA) {
        value.data.resize(size);
        result = key.query_value(name, value.type, value.data.data(), size);
    }
    if (result != plat::ERR_SUCCESS) return {};
    value.present = true;
    value.data.resize(size);
    return value;
}

locale read_locale(const plat::reg_key& key)
{
    const registry_value value = read_value(key, "Locale");
    return value.present ? locale_from_value(value.type, value.data) : locale::english;
}

} // namespace

locale locale_from_value(std::uint32_t type, std::span<const std::uint8_t> data)
{
    if (type != plat::REG_TYPE_DWORD || data.size() != 4) return locale::english;
    const std::uint32_t number = zan::load_le32(data.data());
    return number == japanese_locale ? locale::japanese : locale::english;
}

std::uint8_t debug_level_from_value(std::span<const std::uint8_t> data)
{
    if (data.empty() || data[0] > max_debug_level) return 0;
    return data[0];
}

std::uint8_t locate_value_from_value(std::span<const std::uint8_t> data)
{
    if (data.empty()) return default_locate_value;
    const std::uint8_t high = data[0] >> 4;
    const std::uint8_t low = data[0] & 0x0F;
    return high >= 1 && high <= 3 && low <= 1 ? data[0] : default_locate_value;
}

util_settings read_settings()
{
    util_settings settings;
    plat::reg_key key;
    const std::uint32_t opened = key.open(settings_key, plat::reg_access::all);
    if (opened == plat::ERR_FILE_NOT_FOUND) {
        if (key.create(settings_key) == plat::ERR_SUCCESS) {
            const std::uint8_t zero[4] = {};
            (void)key.set_value("Locale", plat::REG_TYPE_DWORD, zero, sizeof zero);
        }
        return settings;
    }
    if (opened != plat::ERR_SUCCESS) {
        if (key.open(settings_key, plat::reg_access::read) == plat::ERR_SUCCESS) settings.language = read_locale(key);
        return settings;
    }
    settings.language = read_locale(key);
    const registry_value level = read_value(key, "DBGmode");
    settings.debug_level = level.present ? debug_level_from_value(level.data) : 0;
    const registry_value locate = read_value(key, "LocateValue");
    settings.locate_value = locate.present ? locate_value_from_value(locate.data) : default_locate_value;
    return settings;
}

} // namespace gui
