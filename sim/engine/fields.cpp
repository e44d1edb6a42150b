#include "fields.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "drive_mode.h"
#include "mode_pages.h"
#include "raid.h"

namespace sim {

namespace {

using K = field_kind;

constexpr named_code YES_NO[] = {{"no", 0}, {"yes", 1}};
constexpr named_code ON_OFF[] = {{"off", 0}, {"on", 1}};
constexpr named_code DISK_STYLE[] = {{"basic", DISK_BASIC}, {"dynamic", DISK_DYNAMIC}};
constexpr named_code TURBINE[] = {{"none", 0}, {"0x5A", 0x5A}, {"0xA5", 0xA5}};
constexpr named_code PRIORITY[] = {{"high", 1}, {"middle", 2}, {"low", 3}};
constexpr named_code BATTERY[] = {{"none", 0xFF}};
constexpr named_code DRIVE_STATE[] = {
    {"good", 0x00},       {"attention1", 0x01}, {"attention2", 0x02}, {"attention3", 0x03},
    {"attention4", 0x04}, {"attention5", 0x05}, {"attention6", 0x06}, {"alarm0", 0x20},
    {"alarm1", 0x21},     {"alarm2", 0x22},     {"alarm3", 0x23},     {"alarm4", 0x24},
    {"alarm5", 0x25},     {"alarm6", 0x26},     {"alarm7", 0x27},     {"unsupported", 0x80},
};
constexpr named_code LINK[] = {{"1.5G", 7}, {"3.0G", 8}, {"error", 0xFE}, {"disabled", 0xFF}};
constexpr named_code SMART[] = {{"none", 0}, {"received", 4}};
constexpr named_code SPINDLE[] = {
    {"stopped", SPINDLE_STOPPED}, {"running", SPINDLE_RUNNING}, {"starting", SPINDLE_STARTING}};
constexpr named_code MEDIUM_ERRORS[] = {{"n/a", MEDIUM_ERRORS_NOT_AVAILABLE}};
constexpr named_code STRIPE[] = {{"none", 0}, {"64k", 128}, {"128k", 256}, {"256k", 512}, {"512k", 1024}};
constexpr named_code READ_CACHE[] = {{"ra", 0}, {"nora", 1}};
constexpr named_code WRITE_CACHE[] = {{"wb", 0}, {"wt", 1}};
constexpr named_code AUTO_REBUILD[] = {{"on", 0}, {"off", 1}};
constexpr named_code HOT_SPARE_MODE[] = {{"global", 0}, {"group", 1}, {"none", 2}};
constexpr named_code REBUILD[] = {{"not-needed", 0}, {"needed", 1}, {"executing", 2}};
constexpr named_code MAINTENANCE[] = {{"none", 0}, {"check", 1}, {"parity", 2}};
constexpr named_code FAULT_AT[] = {
    {"none", FAULT_AT_NONE}, {"status", FAULT_AT_STATUS}, {"busy", FAULT_AT_BUSY}, {"silent", FAULT_AT_SILENT}};

std::string hex64(std::uint64_t v, int digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(v));
    return text;
}

std::string parse_sas_address(adapter& a, std::string_view v)
{
    std::uint64_t value = 0;
    if (!parse_number(v, UINT64_MAX, value)) return "a SAS address is a number of up to 16 hex digits";
    a.sas_address = value;
    return {};
}

std::string format_sas_address(const adapter& a)
{
    return hex64(a.sas_address, 16);
}

std::string parse_requests(adapter& a, std::string_view v)
{
    std::uint64_t value = 0;
    if (!parse_number(v, UINT64_MAX, value)) return "the request count is a number";
    a.requests = value;
    return {};
}

std::string format_requests(const adapter& a)
{
    return std::to_string(a.requests);
}

std::string parse_at_request(fault_plan& f, std::string_view v)
{
    return parse_number(v, UINT64_MAX, f.at_request) ? std::string() : "the request number is a number";
}

std::string format_at_request(const fault_plan& f)
{
    return std::to_string(f.at_request);
}

std::string parse_clock(adapter& a, std::string_view v)
{
    std::uint64_t value = 0;
    if (!parse_number(v, UINT64_MAX, value)) return "the clock is a number of milliseconds";
    a.clock_ms = value;
    return {};
}

std::string format_clock(const adapter& a)
{
    return std::to_string(a.clock_ms);
}

// Splits a list value at blanks and hands each word to `take`.
template <class F>
std::string for_each_word(std::string_view v, F take)
{
    std::size_t at = 0;
    while (at < v.size()) {
        while (at < v.size() && (v[at] == ' ' || v[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < v.size() && v[end] != ' ' && v[end] != '\t') ++end;
        if (end > at) {
            if (std::string error = take(v.substr(at, end - at)); !error.empty()) return error;
        }
        at = end;
    }
    return {};
}

// A drive's list of LBAs: the adapter's bad spots, the blocks with a
// medium error.
template <std::vector<std::uint32_t> physical_drive::*List>
std::string parse_lbas(physical_drive& d, std::string_view v)
{
    (d.*List).clear();
    return for_each_word(v, [&d](std::string_view word) -> std::string {
        std::uint64_t lba = 0;
        if (!parse_number(word, UINT32_MAX, lba)) return "LBAs are 32-bit numbers";
        (d.*List).push_back(static_cast<std::uint32_t>(lba));
        return {};
    });
}

// The four internal-log lengths; each with its 4-byte header stays within
// the 24-bit offsets of the log request.
std::string parse_log_lengths(physical_drive& d, std::string_view v)
{
    constexpr std::uint64_t LONGEST = 0xFFFFFF - 4;
    std::vector<std::uint32_t> lengths;
    const std::string error = for_each_word(v, [&lengths](std::string_view word) -> std::string {
        std::uint64_t length = 0;
        if (!parse_number(word, LONGEST, length)) return "bad";
        lengths.push_back(static_cast<std::uint32_t>(length));
        return {};
    });
    if (!error.empty() || lengths.size() != INTERNAL_LOGS) {
        return "four log lengths (selectors 1, 2, 4, 8), each from 0 to " + std::to_string(LONGEST);
    }
    std::copy(lengths.begin(), lengths.end(), d.log_lengths.begin());
    return {};
}

std::string format_log_lengths(const physical_drive& d)
{
    std::string text;
    for (std::uint32_t length : d.log_lengths) text += (text.empty() ? "" : " ") + std::to_string(length);
    return text;
}

template <std::vector<std::uint32_t> physical_drive::*List>
std::string format_lbas(const physical_drive& d)
{
    std::string text;
    for (std::uint32_t lba : d.*List) {
        if (!text.empty()) text += ' ';
        text += hex64(lba, 1);
    }
    return text;
}

// Mode pages: one word of hex bytes per page, each a page the firmware keeps.
std::string parse_mode_pages(adapter& a, std::string_view v)
{
    a.mode_pages.clear();
    return for_each_word(v, [&a](std::string_view word) -> std::string {
        std::vector<std::uint8_t> page;
        if (!parse_hex_bytes(word, page)) return "mode pages are written as hex bytes";
        if (std::string error = check_mode_page(page); !error.empty()) return error;
        store_mode_page(a, page);
        return {};
    });
}

std::string format_mode_pages(const adapter& a)
{
    std::string text;
    for (const std::vector<std::uint8_t>& page : a.mode_pages) {
        if (!text.empty()) text += ' ';
        text += hex_bytes(page);
    }
    return text;
}

// A drive's changed mode pages, written as the adapter's are.
std::string parse_drive_mode_pages(physical_drive& d, std::string_view v)
{
    d.mode_pages.clear();
    return for_each_word(v, [&d](std::string_view word) -> std::string {
        std::vector<std::uint8_t> page;
        if (!parse_hex_bytes(word, page)) return "mode pages are written as hex bytes";
        if (std::string error = check_drive_mode_page(page); !error.empty()) return error;
        store_drive_mode_page(d, page);
        return {};
    });
}

std::string format_drive_mode_pages(const physical_drive& d)
{
    std::string text;
    for (const std::vector<std::uint8_t>& page : d.mode_pages) {
        if (!text.empty()) text += ' ';
        text += hex_bytes(page);
    }
    return text;
}

std::string parse_logical_volumes(logical_drive& ld, std::string_view v)
{
    return parse_volumes(v, ld.volumes);
}

std::string format_logical_volumes(const logical_drive& ld)
{
    return format_volumes(ld.volumes);
}

std::string parse_level(logical_drive& ld, std::string_view v)
{
    if (v == "0" || v == "1" || v == "5") ld.raid_level = static_cast<std::uint32_t>(v[0] - '0');
    else if (v == "10") ld.raid_level = 1;
    else return "the RAID level is 0, 1, 5 or 10";
    return {};
}

} // namespace

std::string format_level(const logical_drive& ld)
{
    if (ld.raid_level == 1 && data_member_count(ld) >= 4) return "10";
    return std::to_string(ld.raid_level);
}

namespace {

// Member words: a drive number for a data drive, with "s" for a spare in use
// or "g" for a group hot spare.
std::string parse_members(logical_drive& ld, std::string_view v)
{
    ld.members.clear();
    return for_each_word(v, [&ld](std::string_view word) -> std::string {
        member m;
        if (word.back() == 's' || word.back() == 'g') {
            m.role = word.back() == 's' ? ROLE_SPARE_IN_USE : ROLE_GROUP_SPARE;
            word.remove_suffix(1);
        }
        std::uint64_t hdd = 0;
        if (word.empty() || word.find_first_not_of("0123456789") != std::string_view::npos ||
            !parse_number(word, DRIVE_SLOTS - 1, hdd)) {
            return "members are drive numbers 0-11, with s for a spare in use or g for a group hot spare";
        }
        m.hdd = static_cast<std::uint32_t>(hdd);
        ld.members.push_back(m);
        return {};
    });
}

} // namespace

std::string format_members(const logical_drive& ld)
{
    std::string text;
    for (const member& m : ld.members) {
        if (!text.empty()) text += ' ';
        text += std::to_string(m.hdd);
        if (m.role == ROLE_SPARE_IN_USE) text += 's';
        if (m.role == ROLE_GROUP_SPARE) text += 'g';
    }
    return text;
}

namespace {

constexpr field<adapter> ADAPTER_FIELDS[] = {
    {.key = "driver", .kind = K::text, .text = &adapter::driver, .limit = 31},
    {.key = "controller_id", .kind = K::number, .number = &adapter::controller_id, .limit = 0xFF},
    {.key = "pci_bus", .kind = K::number, .number = &adapter::pci_bus, .limit = 0xFF},
    {.key = "pci_device", .kind = K::number, .number = &adapter::pci_device, .limit = 0xFF},
    {.key = "revision", .kind = K::hex, .number = &adapter::revision, .limit = 0xFF},
    {.key = "driver_version", .kind = K::text, .text = &adapter::driver_version, .limit = 8},
    {.key = "memory_mb", .kind = K::number, .number = &adapter::memory_mb, .limit = UINT32_MAX},
    {.key = "cache_mb", .kind = K::number, .number = &adapter::cache_mb, .limit = UINT32_MAX},
    {.key = "write_cache_mb", .kind = K::number, .number = &adapter::write_cache_mb, .limit = UINT32_MAX},
    {.key = "rebuild_priority_idle", .kind = K::choice, .number = &adapter::rebuild_priority_idle,
     .names = PRIORITY},
    {.key = "rebuild_priority_busy", .kind = K::choice, .number = &adapter::rebuild_priority_busy,
     .names = PRIORITY},
    {.key = "patrol_delay", .kind = K::choice, .number = &adapter::patrol_delay, .names = PRIORITY},
    {.key = "buzzer", .kind = K::choice, .number = &adapter::buzzer, .names = ON_OFF},
    {.key = "model", .kind = K::text, .text = &adapter::model, .limit = 8},
    {.key = "firmware", .kind = K::text, .text = &adapter::firmware, .limit = 4},
    {.key = "boot_firmware", .kind = K::text, .text = &adapter::boot_firmware, .limit = 21},
    {.key = "processor_revision", .kind = K::hex, .number = &adapter::processor_revision, .limit = UINT32_MAX},
    {.key = "adapter_version", .kind = K::hex, .number = &adapter::adapter_version, .limit = 0xFF},
    {.key = "sas_address", .kind = K::custom, .parse = parse_sas_address, .format = format_sas_address},
    {.key = "flash_rom1", .kind = K::text, .text = &adapter::flash_rom1, .limit = 4},
    {.key = "flash_rom2", .kind = K::text, .text = &adapter::flash_rom2, .limit = 4},
    {.key = "flash_state", .kind = K::hex, .number = &adapter::flash_state, .limit = 0xFF},
    {.key = "flash_expected", .kind = K::number, .number = &adapter::flash_expected, .limit = UINT32_MAX},
    {.key = "flash_received", .kind = K::number, .number = &adapter::flash_received, .limit = UINT32_MAX},
    {.key = "flash_sum", .kind = K::hex, .number = &adapter::flash_sum, .limit = UINT32_MAX},
    {.key = "flash_revision", .kind = K::text, .text = &adapter::flash_revision, .limit = 4},
    {.key = "battery", .kind = K::hex, .number = &adapter::battery, .limit = 0xFF, .names = BATTERY},
    {.key = "requests", .kind = K::custom, .parse = parse_requests, .format = format_requests},
    {.key = "task_seconds", .kind = K::number, .number = &adapter::task_seconds, .limit = 86400},
    {.key = "clock", .kind = K::custom, .parse = parse_clock, .format = format_clock},
    {.key = "service_state", .kind = K::hex, .number = &adapter::service_state, .limit = 0xFF},
    {.key = "dump_size", .kind = K::number, .number = &adapter::dump_size, .limit = UINT32_MAX},
    {.key = "dump_status", .kind = K::hex, .number = &adapter::dump_status, .limit = 0xFF},
    {.key = "prevent_limit", .kind = K::number, .number = &adapter::prevent_limit, .limit = 0xFFFF},
    {.key = "prevent_limit_one_month", .kind = K::number, .number = &adapter::prevent_limit_one_month,
     .limit = 0xFFFF},
    {.key = "prevent_limit_half_year", .kind = K::number, .number = &adapter::prevent_limit_half_year,
     .limit = 0xFFFF},
    {.key = "prevent_limit_one_year", .kind = K::number, .number = &adapter::prevent_limit_one_year,
     .limit = 0xFFFF},
    {.key = "mode_pages", .kind = K::custom, .parse = parse_mode_pages, .format = format_mode_pages},
    {.key = "event_next", .kind = K::number, .number = &adapter::event_next, .limit = EVENT_SLOTS - 1},
    {.key = "event_unread", .kind = K::number, .number = &adapter::event_unread, .limit = EVENT_SLOTS},
    {.key = "event_sequence", .kind = K::number, .number = &adapter::event_sequence, .limit = UINT32_MAX},
};

constexpr field<fault_plan> FAULT_FIELDS[] = {
    {.key = "silent", .kind = K::choice, .number = &fault_plan::silent, .names = YES_NO},
    {.key = "busy", .kind = K::number, .number = &fault_plan::busy, .limit = UINT32_MAX},
    {.key = "status", .kind = K::hex, .number = &fault_plan::status, .limit = 0xFFFF},
    {.key = "status_count", .kind = K::number, .number = &fault_plan::status_count, .limit = UINT32_MAX},
    {.key = "at_request", .kind = K::custom, .parse = parse_at_request, .format = format_at_request},
    {.key = "at_answer", .kind = K::choice, .number = &fault_plan::at_answer, .names = FAULT_AT},
    {.key = "at_value", .kind = K::number, .number = &fault_plan::at_value, .limit = UINT32_MAX},
};

constexpr field<physical_drive> DRIVE_FIELDS[] = {
    {.key = "present", .kind = K::custom,
     .parse = [](physical_drive& d, std::string_view v) -> std::string {
         if (v != "yes" && v != "no") return "present is yes or no";
         d.present = v == "yes";
         return {};
     },
     .format = [](const physical_drive& d) -> std::string { return d.present ? "yes" : "no"; }},
    {.key = "vendor", .kind = K::text, .text = &physical_drive::vendor, .limit = 8},
    {.key = "product", .kind = K::text, .text = &physical_drive::product, .limit = 16},
    {.key = "revision", .kind = K::text, .text = &physical_drive::revision, .limit = 4},
    {.key = "size_mb", .kind = K::number, .number = &physical_drive::size_mb, .limit = UINT32_MAX},
    {.key = "state", .kind = K::choice, .number = &physical_drive::state, .names = DRIVE_STATE},
    {.key = "link", .kind = K::choice, .number = &physical_drive::link, .names = LINK},
    {.key = "smart", .kind = K::choice, .number = &physical_drive::smart, .names = SMART},
    {.key = "spare", .kind = K::choice, .number = &physical_drive::global_spare, .names = YES_NO},
    {.key = "medium_errors", .kind = K::number, .number = &physical_drive::medium_errors,
     .limit = MEDIUM_ERRORS_NOT_AVAILABLE, .names = MEDIUM_ERRORS},
    {.key = "bad_spots", .kind = K::custom, .parse = parse_lbas<&physical_drive::bad_spots>,
     .format = format_lbas<&physical_drive::bad_spots>},
    {.key = "medium_error_lbas", .kind = K::custom, .parse = parse_lbas<&physical_drive::medium_error_lbas>,
     .format = format_lbas<&physical_drive::medium_error_lbas>},
    {.key = "inquiry", .kind = K::text, .text = &physical_drive::inquiry, .limit = 40},
    {.key = "led", .kind = K::hex, .number = &physical_drive::led, .limit = 0xFF},
    {.key = "serial", .kind = K::text, .text = &physical_drive::serial, .limit = 12},
    {.key = "spindle", .kind = K::choice, .number = &physical_drive::spindle, .names = SPINDLE},
    {.key = "spin_up_polls", .kind = K::number, .number = &physical_drive::spin_up_polls, .limit = 100000},
    {.key = "spin_up_left", .kind = K::number, .number = &physical_drive::spin_up_left, .limit = 100000},
    {.key = "start_stops", .kind = K::number, .number = &physical_drive::start_stops, .limit = UINT32_MAX},
    {.key = "log_seed", .kind = K::hex, .number = &physical_drive::log_seed, .limit = UINT32_MAX},
    {.key = "log_saves", .kind = K::number, .number = &physical_drive::log_saves, .limit = UINT32_MAX},
    {.key = "log_lengths", .kind = K::custom, .parse = parse_log_lengths, .format = format_log_lengths},
    {.key = "answer_status", .kind = K::hex, .number = &physical_drive::answer_status, .limit = 0xFF},
    {.key = "answer_sense", .kind = K::hex, .number = &physical_drive::answer_sense, .limit = 0xFFFFFF},
    {.key = "answer_info", .kind = K::hex, .number = &physical_drive::answer_info, .limit = UINT32_MAX},
    {.key = "answer_count", .kind = K::number, .number = &physical_drive::answer_count, .limit = UINT32_MAX},
    {.key = "blocks", .kind = K::number, .number = &physical_drive::blocks, .limit = UINT32_MAX},
    {.key = "full_mb", .kind = K::number, .number = &physical_drive::full_mb, .limit = UINT32_MAX},
    {.key = "mode_pages", .kind = K::custom, .parse = parse_drive_mode_pages, .format = format_drive_mode_pages},
    {.key = "download_length", .kind = K::number, .number = &physical_drive::download_length, .limit = UINT32_MAX},
    {.key = "download_received", .kind = K::number, .number = &physical_drive::download_received,
     .limit = UINT32_MAX},
    {.key = "download_sum", .kind = K::hex, .number = &physical_drive::download_sum, .limit = UINT32_MAX},
    {.key = "download_revision", .kind = K::text, .text = &physical_drive::download_revision, .limit = 4},
};

constexpr field<logical_drive> LOGICAL_FIELDS[] = {
    {.key = "level", .kind = K::custom, .parse = parse_level, .format = format_level},
    {.key = "members", .kind = K::custom, .parse = parse_members, .format = format_members},
    {.key = "stripe", .kind = K::choice, .number = &logical_drive::stripe_blocks, .names = STRIPE},
    {.key = "sub_groups", .kind = K::number, .number = &logical_drive::sub_groups, .limit = 2},
    {.key = "read_cache", .kind = K::choice, .number = &logical_drive::read_cache, .names = READ_CACHE},
    {.key = "write_cache", .kind = K::choice, .number = &logical_drive::write_cache, .names = WRITE_CACHE},
    {.key = "auto_rebuild", .kind = K::choice, .number = &logical_drive::auto_rebuild, .names = AUTO_REBUILD},
    {.key = "hot_spare", .kind = K::choice, .number = &logical_drive::hot_spare_mode, .names = HOT_SPARE_MODE},
    {.key = "rebuild", .kind = K::choice, .number = &logical_drive::rebuild, .names = REBUILD},
    {.key = "maintenance", .kind = K::choice, .number = &logical_drive::maintenance, .names = MAINTENANCE},
    {.key = "progress", .kind = K::number, .number = &logical_drive::progress, .limit = 100},
    {.key = "progress_ticks", .kind = K::number, .number = &logical_drive::progress_ticks, .limit = UINT32_MAX},
    {.key = "errors", .kind = K::number, .number = &logical_drive::errors, .limit = UINT32_MAX},
    {.key = "inconsistencies", .kind = K::number, .number = &logical_drive::inconsistencies,
     .limit = UINT32_MAX},
    {.key = "forced", .kind = K::choice, .number = &logical_drive::forced, .names = YES_NO},
    {.key = "delete_step", .kind = K::number, .number = &logical_drive::delete_step, .limit = 2},
    {.key = "volumes", .kind = K::custom, .parse = parse_logical_volumes, .format = format_logical_volumes},
    {.key = "disk", .kind = K::choice, .number = &logical_drive::disk_style, .names = DISK_STYLE},
    {.key = "turbine", .kind = K::choice, .number = &logical_drive::turbine, .names = TURBINE},
};

constexpr field<registry_port> PORT_FIELDS[] = {
    {.key = "driver", .kind = K::text, .text = &registry_port::driver, .limit = 31},
};

} // namespace

std::span<const field<adapter>> adapter_fields() { return ADAPTER_FIELDS; }
std::span<const field<fault_plan>> fault_fields() { return FAULT_FIELDS; }
std::span<const field<physical_drive>> drive_fields() { return DRIVE_FIELDS; }
std::span<const field<logical_drive>> logical_fields() { return LOGICAL_FIELDS; }
std::span<const field<registry_port>> port_fields() { return PORT_FIELDS; }
std::span<const named_code> drive_state_names() { return DRIVE_STATE; }
std::span<const named_code> link_names() { return LINK; }

const char* name_of(std::span<const named_code> names, std::uint32_t code)
{
    for (const named_code& n : names) {
        if (n.code == code) return n.name;
    }
    return nullptr;
}

bool parse_number(std::string_view text, std::uint64_t limit, std::uint64_t& out)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value > limit) return false;
    out = value;
    return true;
}

std::string hex_bytes(std::span<const std::uint8_t> bytes)
{
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text += DIGITS[b >> 4];
        text += DIGITS[b & 0x0F];
    }
    return text;
}

bool parse_hex_bytes(std::string_view text, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (text.size() % 2 != 0) return false;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        std::uint8_t value = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, value, 16);
        if (error != std::errc() || end != text.data() + at + 2) return false;
        out.push_back(value);
    }
    return true;
}

std::string format_volumes(const std::string& letters)
{
    std::string text;
    for (char letter : letters) {
        if (!text.empty()) text += ' ';
        text += letter;
    }
    return text;
}

std::string parse_volumes(std::string_view text, std::string& letters)
{
    letters.clear();
    return for_each_word(text, [&letters](std::string_view word) -> std::string {
        const char letter = word.size() == 1 ? static_cast<char>(std::toupper(static_cast<unsigned char>(word[0]))) : 0;
        if (letter < 'A' || letter > 'Z') return "volumes are drive letters A-Z separated by blanks";
        if (letter == SYSTEM_VOLUME) return std::string(1, letter) + ": is the system volume";
        if (letters.find(letter) != std::string::npos) return std::string(1, letter) + ": is given twice";
        letters += letter;
        return {};
    });
}

} // namespace sim
