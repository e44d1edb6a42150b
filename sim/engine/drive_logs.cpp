#include "drive_logs.h"

#include <algorithm>
#include <array>

#include "big_endian.h"

namespace sim {

namespace {

// One byte of a drive's pattern: a mix of the seed, what the bytes belong
// to (`salt`) and the position, so that a byte read from the wrong place or
// another drive's log differs.
std::uint8_t pattern_byte(std::uint32_t seed, std::uint32_t salt, std::uint32_t position)
{
    std::uint32_t h = position * 0x9E3779B1u + seed * 0x85EBCA6Bu + salt * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    return static_cast<std::uint8_t>(h);
}

// A 32-bit value of the pattern, for counters and times.
std::uint32_t pattern_value(std::uint32_t seed, std::uint32_t salt, std::uint32_t index)
{
    std::uint32_t v = 0;
    for (std::uint32_t i = 0; i < 4; ++i) v = (v << 8) | pattern_byte(seed, salt, index * 4 + i);
    return v;
}

constexpr std::uint8_t SELECTORS[INTERNAL_LOGS] = {LOG_DRIVE_STATUS, LOG_DRIVE_INTERNAL, LOG_COMMAND,
                                                   LOG_CONTROLLER_INFO};

constexpr std::uint8_t PAGES[] = {0x00, 0x02, 0x03, 0x05, 0x06, 0x0D, 0x0E, 0x10, 0x2F, PAGE_ERROR_HISTORY, PAGE_SMART};

constexpr std::size_t PARAMETER_HEADER = 4;
constexpr std::uint8_t CONTROL_COUNTER = 0x00;
constexpr std::uint8_t CONTROL_ASCII = 0x01;
constexpr std::uint8_t CONTROL_BINARY = 0x03;

struct parameter {
    std::uint16_t code;
    std::uint8_t control;
    std::vector<std::uint8_t> bytes; // the whole parameter, its header included

    parameter(std::uint16_t c, std::uint8_t ctl, std::size_t size) : code(c), control(ctl), bytes(size, 0)
    {
        store_be(bytes.data(), 2, c);
        bytes[2] = ctl;
        bytes[3] = static_cast<std::uint8_t>(size - PARAMETER_HEADER);
    }
    void put(std::size_t at, std::size_t width, std::uint32_t value) { store_be(bytes.data() + at, width, value); }
};

// What a page is built from: the drive, its slot and the salt of the page's
// pattern.
struct page_source {
    const physical_drive& d;
    std::uint32_t salt;
    std::uint32_t value(std::uint32_t index) const { return pattern_value(d.log_seed, salt, index); }
};

// Error counter pages (write, read, verify): parameters 0-6, the bytes
// processed (parameter 5) eight bytes long.
std::vector<parameter> error_counters(const page_source& s)
{
    std::vector<parameter> out;
    for (std::uint16_t code = 0; code <= 6; ++code) {
        const std::size_t width = code == 5 ? 8 : 4;
        parameter p(code, CONTROL_COUNTER, PARAMETER_HEADER + width);
        p.put(PARAMETER_HEADER + width - 4, 4, s.value(code) % 100000);
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<parameter> non_medium_errors(const page_source& s)
{
    parameter p(0, CONTROL_COUNTER, 8);
    p.put(4, 4, s.value(0) % 1000);
    return {p};
}

std::uint8_t temperature(const page_source& s)
{
    return static_cast<std::uint8_t>(28 + s.value(100) % 15);
}

std::vector<parameter> temperatures(const page_source& s)
{
    parameter current(0, CONTROL_BINARY, 6);
    current.bytes[5] = temperature(s);
    parameter reference(1, CONTROL_BINARY, 6);
    reference.bytes[5] = 65;
    return {current, reference};
}

std::vector<parameter> start_stop_cycles(const page_source& s)
{
    constexpr char MANUFACTURED[] = "200614";
    parameter made(1, CONTROL_ASCII, 10);
    std::copy_n(MANUFACTURED, 6, made.bytes.begin() + 4);
    parameter accounting(2, CONTROL_ASCII, 10);
    std::fill_n(accounting.bytes.begin() + 4, 6, ' ');
    parameter specified(3, CONTROL_BINARY, 8);
    specified.put(4, 4, 50000);
    parameter accumulated(4, CONTROL_BINARY, 8);
    accumulated.put(4, 4, s.d.start_stops);
    return {made, accounting, specified, accumulated};
}

// Self-test results: 20 entries, the two most recent filled.
std::vector<parameter> self_tests(const page_source& s)
{
    std::vector<parameter> out;
    for (std::uint16_t code = 1; code <= 20; ++code) {
        parameter p(code, CONTROL_BINARY, 20);
        if (code <= 2) {
            p.bytes[4] = 0x20;                            // background short self-test, completed
            p.put(6, 2, 1000 + s.value(code) % 30000);    // power-on hours
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<parameter> informational_exceptions(const page_source& s)
{
    parameter p(0, CONTROL_BINARY, 8);
    if (s.d.smart != 0) p.bytes[4] = 0x5D; // failure prediction threshold exceeded
    p.bytes[6] = temperature(s);
    return {p};
}

// Error history: 180 entries of 76 bytes (parameter codes 1-180); the first
// few hold errors the drive reported, the others are empty.
std::vector<parameter> error_history(const page_source& s)
{
    struct error_kind {
        std::uint8_t key, asc, ascq, operation;
    };
    constexpr error_kind KINDS[] = {
        {0x01, 0x18, 0x02, 0x28}, {0x03, 0x11, 0x00, 0x28}, {0x04, 0x44, 0x00, 0x2A}, {0x0B, 0x47, 0x01, 0x2F}};
    const std::uint32_t filled = 1 + s.value(0) % 24;
    std::vector<parameter> out;
    for (std::uint16_t code = 1; code <= ERROR_HISTORY_ENTRIES; ++code) {
        parameter p(code, CONTROL_BINARY, ERROR_HISTORY_ENTRY);
        if (code <= filled) {
            const error_kind& k = KINDS[s.value(code) % std::size(KINDS)];
            const std::uint32_t seconds = 3600 * (100 + 17 * code) + s.value(200 + code) % 3600;
            const std::uint32_t lba = s.value(400 + code);
            p.put(4, 4, seconds);
            p.put(8, 4, seconds / 60 + 30);
            p.bytes[14] = k.key;
            p.put(15, 4, lba);
            p.bytes[24] = k.asc;
            p.bytes[25] = k.ascq;
            p.bytes[60] = k.operation; // the failed command: READ/WRITE(10) of one block
            p.put(62, 4, lba);
            p.put(67, 2, 1);
        }
        out.push_back(std::move(p));
    }
    return out;
}

// Heads of the drive's model, from the product's capacity digits.
std::size_t head_count(const physical_drive& d)
{
    const std::string digits = d.product.size() >= 7 ? d.product.substr(4, 3) : std::string();
    if (digits == "036") return 2;
    if (digits == "147" || digits == "300") return 8;
    return 4;
}

// Per-head transfer counts of reads, writes or seeks, the worst error count last.
parameter head_counts(const page_source& s, std::uint16_t code, std::size_t heads)
{
    parameter p(code, CONTROL_BINARY, 12 + 8 * heads);
    std::uint32_t worst = 0;
    for (std::size_t h = 0; h < heads; ++h) {
        const auto index = static_cast<std::uint32_t>(16 * code + 3 * h);
        const std::uint32_t current = s.value(index + 1) % 50;
        p.put(10 + 8 * h, 4, s.value(index) % 1000000000);
        p.put(14 + 8 * h, 2, current);
        p.put(16 + 8 * h, 2, s.value(index + 2) % 50);
        worst = std::max(worst, current);
    }
    p.put(10 + 8 * heads, 2, worst);
    return p;
}

std::vector<parameter> smart_data(const page_source& s)
{
    const std::size_t heads = head_count(s.d);
    const std::uint32_t hours = 60000 + s.value(0) % 50000; // minutes of operation
    parameter operating(0, CONTROL_BINARY, 8);
    operating.put(4, 4, hours);
    parameter spare(4, CONTROL_BINARY, 6);
    spare.put(4, 2, 1800 + s.value(1) % 200);
    parameter spin_up(5, CONTROL_BINARY, 14);
    spin_up.bytes[6] = static_cast<std::uint8_t>(5 + s.value(2) % 5);
    spin_up.bytes[7] = static_cast<std::uint8_t>(5 + s.value(3) % 5);
    spin_up.bytes[8] = static_cast<std::uint8_t>(std::max(spin_up.bytes[6], spin_up.bytes[7]) + 1);
    spin_up.put(10, 4, hours / 3);
    parameter start_stop(6, CONTROL_BINARY, 8);
    start_stop.put(6, 2, s.d.start_stops);
    parameter temperatures(7, CONTROL_BINARY, 12);
    temperatures.bytes[4] = temperature(s);
    temperatures.bytes[6] = static_cast<std::uint8_t>(temperature(s) + 8);
    temperatures.put(8, 4, hours / 2);
    parameter voltage(8, CONTROL_BINARY, 18);
    voltage.bytes[4] = 0x20; // 12.0 V
    voltage.bytes[6] = 0x25;
    voltage.put(8, 4, hours / 4);
    voltage.bytes[12] = 0x15;
    voltage.put(14, 4, hours / 5);
    parameter smart(9, CONTROL_BINARY, 12);
    if (s.d.smart != 0) {
        smart.bytes[6] = 0x5D;
        smart.put(8, 4, hours - 10);
    }
    return {operating,   head_counts(s, 1, heads), head_counts(s, 2, heads), head_counts(s, 3, heads),
            spare,       spin_up,                  start_stop,               temperatures,
            voltage,     smart};
}

enum class values { counters, readings };

struct page_kind {
    std::uint8_t code;
    values kind;
    std::vector<parameter> (*build)(const page_source&);
};

constexpr page_kind PAGE_KINDS[] = {
    {0x02, values::counters, error_counters},       {0x03, values::counters, error_counters},
    {0x05, values::counters, error_counters},       {0x06, values::counters, non_medium_errors},
    {0x0D, values::readings, temperatures},         {0x0E, values::readings, start_stop_cycles},
    {0x10, values::readings, self_tests},           {0x2F, values::readings, informational_exceptions},
    {PAGE_ERROR_HISTORY, values::readings, error_history}, {PAGE_SMART, values::readings, smart_data},
};

// Page control on a parameter: counters have thresholds (current and
// default alike, the drive's own) and start from zero by default; readings
// are the same for both current controls and zero by default.
void apply_page_control(parameter& p, values kind, std::uint8_t pc)
{
    const bool defaults = pc == PC_DEFAULT_THRESHOLD || pc == PC_DEFAULT_CUMULATIVE;
    const bool threshold = pc == PC_CURRENT_THRESHOLD || pc == PC_DEFAULT_THRESHOLD;
    if (kind == values::counters && threshold) {
        std::fill(p.bytes.begin() + PARAMETER_HEADER, p.bytes.end(), 0);
        p.put(p.bytes.size() - 4, 4, 1000u * (p.code + 1u));
    } else if (defaults) {
        std::fill(p.bytes.begin() + PARAMETER_HEADER, p.bytes.end(), 0);
    }
}

std::vector<std::uint8_t> page_with(std::uint8_t page, std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> out(4 + body.size(), 0);
    out[0] = page;
    store_be(out.data() + 2, 2, static_cast<std::uint32_t>(body.size()));
    std::copy(body.begin(), body.end(), out.begin() + 4);
    return out;
}

} // namespace

std::optional<std::size_t> internal_log_index(std::uint8_t selector)
{
    const auto at = std::find(std::begin(SELECTORS), std::end(SELECTORS), selector);
    if (at == std::end(SELECTORS)) return std::nullopt;
    return static_cast<std::size_t>(at - std::begin(SELECTORS));
}

std::vector<std::uint8_t> internal_log(const physical_drive& d, std::uint32_t hdd, std::uint8_t selector)
{
    const std::uint32_t length = d.log_lengths[internal_log_index(selector).value_or(0)];
    const std::uint32_t salt = (hdd << 8) | selector;
    std::vector<std::uint8_t> out(INTERNAL_LOG_HEADER + length);
    out[0] = selector;
    store_be(out.data() + 1, 3, length);
    for (std::uint32_t p = 0; p < length; ++p) out[INTERNAL_LOG_HEADER + p] = pattern_byte(d.log_seed, salt, p);
    return out;
}

std::span<const std::uint8_t> supported_log_pages()
{
    return PAGES;
}

std::optional<std::vector<std::uint8_t>> log_page(const physical_drive& d, std::uint32_t hdd, std::uint8_t page,
                                                  std::uint8_t pc, std::uint16_t first_parameter)
{
    if (page == PAGE_SUPPORTED) return page_with(page, PAGES);
    const auto kind = std::find_if(std::begin(PAGE_KINDS), std::end(PAGE_KINDS),
                                   [page](const page_kind& k) { return k.code == page; });
    if (kind == std::end(PAGE_KINDS)) return std::nullopt;
    const page_source source{d, 0x10000u | (hdd << 8) | page};
    std::vector<std::uint8_t> body;
    for (parameter& p : kind->build(source)) {
        if (p.code < first_parameter) continue;
        apply_page_control(p, kind->kind, pc);
        body.insert(body.end(), p.bytes.begin(), p.bytes.end());
    }
    return page_with(page, body);
}

} // namespace sim
