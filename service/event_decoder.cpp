#include "event_decoder.h"

#include <cstdio>
#include <cstring>

#include "detail_code.h"

namespace zan {

namespace {

constexpr int ANY = -1;

struct decode_context {
    controller_event e;
    std::uint8_t adapter;
    single_bit_counters& counters;
    std::vector<event_report>& out;
};

std::string text(const char* format, unsigned value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string decimal(unsigned value)
{
    return text("%d", value);
}

std::string hex(unsigned value)
{
    return text("%x", value);
}

event_report& report(const decode_context& c, std::uint32_t id, std::vector<std::string> more = {})
{
    event_report r;
    r.id = id;
    r.strings.push_back(decimal(c.adapter));
    r.strings.insert(r.strings.end(), more.begin(), more.end());
    c.out.push_back(std::move(r));
    return c.out.back();
}

void append(std::vector<std::uint8_t>& data, const char* label)
{
    data.insert(data.end(), label, label + std::strlen(label));
}

void append(std::vector<std::uint8_t>& data, controller_event e, std::size_t from, std::size_t to_inclusive)
{
    data.insert(data.end(), e.begin() + static_cast<std::ptrdiff_t>(from),
                e.begin() + static_cast<std::ptrdiff_t>(to_inclusive + 1));
}

std::uint8_t object(const decode_context& c)
{
    return c.e[EV_OBJECT];
}

std::string drive_detail(const decode_context& c, std::uint8_t reason, std::uint8_t last)
{
    return detail_code(reason, c.adapter, 0xFF, static_cast<std::uint8_t>(object(c) | 0xF0), last);
}

void drive_state(const decode_context& c)
{
    const std::uint8_t drive = object(c);
    const std::uint8_t state = c.e[EV_NEW];
    if ((state & 0xF0) == 0x20) {
        event_report& r = report(c, 0xA0001000, {decimal(drive), hex(state), drive_detail(c, REASON_DRIVE_FAILED, state)});
        append(r.data, "lastsens");
        append(r.data, c.e, EV_LAST_SENSE, EV_LAST_SENSE + 15);
        append(r.data, "inquiry ");
        append(r.data, c.e, EV_INQUIRY, EV_INQUIRY + 47);
    } else if (state == 0xFF) {
        report(c, 0xE0001010, {decimal(drive), "ff", drive_detail(c, REASON_DRIVE_OFFLINE, 0xFF)});
    } else if (state == 0x10) {
        report(c, 0x60001020, {decimal(drive)});
    } else if (state == 0x00) {
        report(c, 0x60001030, {decimal(drive)});
    }
}

void medium_count(const decode_context& c)
{
    report(c, 0x60001254, {decimal(object(c)), decimal(c.e[EV_MEDIUM_COUNT])});
}

void bad_spot(const decode_context& c)
{
    if (c.e[EV_NEW] != 6) return;
    report(c, 0xA0001270, {decimal(object(c)), hex(event_u32(c.e, EV_BAD_BLOCK)), drive_detail(c, REASON_BAD_SPOT, 6)});
}

void single_bit(const decode_context& c)
{
    const std::uint8_t flags = c.e[EV_LOCATION_FLAGS];
    std::uint8_t named[2];
    std::size_t count = 0;
    if ((flags & 1) != 0) named[count++] = c.e[EV_LOCATION_A];
    if ((flags & 2) != 0) named[count++] = c.e[EV_LOCATION_B];
    for (std::size_t i = 0; i < count; ++i) {
        if (c.counters[named[i]] != SINGLE_BIT_REPORTED) ++c.counters[named[i]];
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t& counter = c.counters[named[i]];
        if (counter == SINGLE_BIT_REPORTED || counter < SINGLE_BIT_THRESHOLD) continue;
        report(c, 0xA0001071, {detail_code(REASON_SINGLE_BIT, c.adapter, 0x00, 0x00, named[i])});
        counter = SINGLE_BIT_REPORTED;
    }
}

enum class health { unknown, optimal, degraded, failed };

health logical_health(std::uint8_t state)
{
    switch (state) {
    case 0: case 2: case 4: case 5: case 6: case 18: case 21: return health::optimal;
    case 1: case 3: case 16: case 17: case 19: case 22: return health::degraded;
    case 32: case 33: case 34: case 35: case 36: return health::failed;
    default: return health::unknown;
    }
}

void logical_state(const decode_context& c)
{
    const health from = logical_health(c.e[EV_OLD]);
    const health to = logical_health(c.e[EV_NEW]);
    if (from == health::unknown || to == health::unknown) return;
    const std::uint8_t logical = object(c);
    const std::uint8_t state = c.e[EV_NEW];
    const auto detail = [&](std::uint8_t reason) {
        return detail_code(reason, c.adapter, static_cast<std::uint8_t>(logical * 16 + state / 16),
                           static_cast<std::uint8_t>(state * 16 + 0x0F), 0xFF);
    };
    if (from == health::optimal && to == health::degraded) {
        report(c, 0xE0001090, {decimal(logical), hex(state), detail(REASON_LOGICAL_DEGRADED)});
    } else if (from != health::failed && to == health::failed) {
        report(c, 0xE00010A0, {decimal(logical), hex(state), detail(REASON_LOGICAL_FAILED)});
    } else if (from != health::optimal && to == health::optimal) {
        report(c, 0x600010B0, {decimal(logical)});
    }
}

void smart(const decode_context& c)
{
    report(c, 0xA0001120,
           {decimal(object(c)), text("%02x", c.e[EV_SMART_CODE]), drive_detail(c, REASON_SMART, c.e[EV_NEW])});
}

void medium_errors(const decode_context& c)
{
    report(c, 0x60001254,
           {decimal(c.e[EV_DETAIL_BYTE]), text("%d", static_cast<unsigned>(event_u32(c.e, EV_DETAIL_KIND)))});
}

void check_condition(const decode_context& c)
{
    event_report& r = report(c, 0x60001100,
                             {hex(event_u32(c.e, EV_SENSE_DRIVE)), text("%.2x", c.e[EV_SENSE_KEY] & 0x0Fu),
                              text("%.2x", c.e[EV_ASC]), text("%.2x", c.e[EV_ASCQ])});
    append(r.data, "***cdb**");
    append(r.data, c.e, EV_CDB, EV_CDB + 11);
    append(r.data, "******snsdt*");
    append(r.data, c.e, EV_SENSE, EV_SENSE + 39);
}

void firmware_fault(const decode_context& c)
{
    const std::uint8_t kind = c.e[EV_DETAIL_KIND];
    if (kind != 0x20 && kind != 0x40) return;
    const bool panic = kind == 0x20;
    const std::uint32_t code = event_u32(c.e, EV_DETAIL_BYTE);
    event_report& r = report(c, panic ? 0xE0001130 : 0xE0001140,
                             {hex(code), detail_code(panic ? REASON_FIRMWARE_PANIC : REASON_HARDWARE_ERROR, c.adapter,
                                                     static_cast<std::uint8_t>(code >> 24),
                                                     static_cast<std::uint8_t>(code >> 16),
                                                     static_cast<std::uint8_t>(code >> 8))});
    append(r.data, c.e, EV_DETAIL_AREA, CONTROLLER_EVENT_SIZE - 1);
    r.requests_panic_dump = panic;
}

constexpr std::uint32_t POSITION_END = 0xFFFFFFFF;
constexpr std::uint8_t CAUSE_NOT_REPORTED = 5;
constexpr std::uint16_t CHECK_RESULT_INCONSISTENT = 0x51;

void background_task(const decode_context& c)
{
    const std::string logical = decimal(c.e[EV_DETAIL_BYTE]);
    const std::uint8_t sub_state = c.e[EV_SUB_STATE];
    const std::uint32_t position = event_u32(c.e, EV_POSITION);
    const std::uint8_t cause = c.e[EV_CAUSE];
    switch (c.e[EV_TASK]) {
    case 0x00: // rebuild
        if (sub_state == 0 || cause == CAUSE_NOT_REPORTED) return;
        if (position == 0) report(c, 0x60001150, {logical});
        if (position == POSITION_END) report(c, 0x60001160, {logical});
        return;
    case 0x01: // consistency check
        if (position == 0 && event_u16(c.e, EV_CHECK_RESULT) != CHECK_RESULT_INCONSISTENT) {
            report(c, 0x60001170, {logical});
        } else if (position == POSITION_END) {
            report(c, 0x60001180, {logical});
        } else {
            report(c, 0xE00011D0, {logical, hex(position)});
        }
        return;
    case 0x02: // parity generation
        if (position == 0) report(c, 0x60001190, {logical});
        if (position == POSITION_END) report(c, 0x600011A0, {logical});
        return;
    case 0xF0: { // rebuild aborted
        if (cause == CAUSE_NOT_REPORTED) return;
        const std::uint8_t drive = c.e[EV_TASK_DRIVE];
        report(c, 0xE0001165,
               {logical, decimal(drive),
                detail_code(REASON_REBUILD_ABORTED, c.adapter,
                            static_cast<std::uint8_t>(c.e[EV_DETAIL_BYTE] * 16 + sub_state / 16),
                            static_cast<std::uint8_t>((sub_state & 0xF0) | drive), cause)});
        return;
    }
    case 0xF1: report(c, 0x600011B0, {logical}); return;
    case 0xF2: report(c, 0x600011C0, {logical}); return;
    default: return;
    }
}

void forced_drive(const decode_context& c)
{
    const std::uint8_t state = c.e[EV_NEW];
    if (state == 0) report(c, 0x60001210, {decimal(object(c))});
    if ((state & 0xF0) == 0x20) report(c, 0x60001220, {decimal(object(c))});
}

void forced_logical(const decode_context& c)
{
    if (c.e[EV_NEW] == 0) report(c, 0x60001230, {decimal(object(c))});
}

void preventive_copy(const decode_context& c)
{
    const std::uint8_t from = c.e[EV_OLD];
    const std::uint8_t to = c.e[EV_NEW];
    const std::string logical = decimal(object(c));
    if (from == 0 && to == 5) report(c, 0x60001240, {logical, decimal(c.e[EV_TARGET])});
    if (from == 5 && to == 0x15) report(c, 0x60001250, {logical});
    if (from == 5 && to != 5 && to != 0x15) report(c, 0xA0001260, {logical});
}

struct decoding_row {
    std::uint16_t event_class;
    int code;           // ANY: every code
    int type;           // u16 at 0x140; ANY: not looked at
    bool ignore_flag;   // an entry with its ignore flag set is skipped
    void (*decode)(const decode_context&);
};

constexpr decoding_row DECODING_TABLE[] = {
    {2, 2, 1, true, drive_state},
    {2, 2, 2, true, medium_count},
    {2, 2, 24, true, bad_spot},
    {2, 2, 71, true, single_bit},
    {2, 2, 72, true, logical_state},
    {2, 2, 73, true, smart},
    {2, 39, ANY, false, medium_errors},
    {7, 0xB0, ANY, true, check_condition},
    {32, 3, ANY, true, firmware_fault},
    {33, 4, ANY, true, background_task},
    {34, 2, 1, true, forced_drive},
    {34, 2, 0x20, true, forced_logical},
    {41, ANY, ANY, false, preventive_copy},
};

} // namespace

std::vector<event_report> decode_event(controller_event entry, std::uint8_t adapter, single_bit_counters& counters)
{
    std::vector<event_report> out;
    const std::uint16_t event_class = event_u16(entry, EV_CLASS);
    const std::uint16_t code = event_u16(entry, EV_CODE);
    const std::uint16_t type = event_u16(entry, EV_TYPE);
    for (const decoding_row& row : DECODING_TABLE) {
        if (row.event_class != event_class || (row.code != ANY && row.code != code) ||
            (row.type != ANY && row.type != type)) {
            continue;
        }
        if (!(row.ignore_flag && entry[EV_IGNORE] != 0)) row.decode({entry, adapter, counters, out});
        break;
    }
    return out;
}

} // namespace zan
