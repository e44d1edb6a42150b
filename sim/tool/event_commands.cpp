// zansim commands that make the firmware write event-log entries: any entry
// given as bytes, the entries of faults the simulator has no model of, named
// (hardware error, check condition, single-bit memory errors, preventive
// copy), and changes of a drive that the firmware reports (medium error
// count, S.M.A.R.T. warning).
#include <algorithm>
#include <string>
#include <vector>

#include "change.h"
#include "command_line.h"
#include "event_log.h"
#include "sim/control.h"
#include "zanbytes.h"

namespace {

constexpr char IGNORE_OPTION[] = "--ignore";

// A hex number up to `limit`, with or without 0x.
bool read_hex(std::string text, std::uint64_t limit, std::uint64_t& out)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
    if (text.empty() || text.size() > 16 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    out = std::stoull(text, nullptr, 16);
    return out <= limit;
}

// Hex pairs, at most `max` bytes.
bool read_hex_bytes(const std::string& text, std::size_t max, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (text.empty() || text.size() % 2 != 0 || text.size() / 2 > max) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint64_t byte = 0;
        if (!read_hex(text.substr(i, 2), 0xFF, byte)) return false;
        out.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

bool read_byte(const std::string& text, std::uint8_t& out)
{
    std::uint64_t value = 0;
    if (!read_number(text, 0xFF, value)) return false;
    out = static_cast<std::uint8_t>(value);
    return true;
}

int done(const std::string& error)
{
    return error.empty() ? 0 : fail(error);
}

int write_entry(int port, const sim::event_entry& e)
{
    return done(sim::add_event(port, std::vector<std::uint8_t>(e.begin(), e.end())));
}

// event PORT CLASS CODE [OFFSET:HEX]...: an entry of zeros with its class and
// code, and the given bytes from each offset on.
int raw_entry(const args& a, sim::event_entry& e, int& port)
{
    std::uint64_t event_class = 0;
    std::uint64_t code = 0;
    if (!read_port(a[0], port) || !read_hex(a[1], 0xFFFF, event_class) || !read_hex(a[2], 0xFFFF, code)) {
        return misuse("event needs a port number, a class and a code (hex)");
    }
    e = sim::make_event(static_cast<std::uint16_t>(event_class), static_cast<std::uint16_t>(code));
    for (std::size_t i = 3; i < a.size(); ++i) {
        const std::size_t colon = a[i].find(':');
        std::uint64_t offset = 0;
        std::vector<std::uint8_t> bytes;
        if (colon == std::string::npos || !read_hex(a[i].substr(0, colon), sim::EVENT_SIZE - 1, offset) ||
            !read_hex_bytes(a[i].substr(colon + 1), sim::EVENT_SIZE - offset, bytes)) {
            return misuse("event bytes are OFFSET:HEX within the 512-byte entry, like 0x5c:20");
        }
        std::copy(bytes.begin(), bytes.end(), e.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return 0;
}

// event hardware PORT ERRORCODE: a hardware error (class 32) with its error
// code (hex).
int hardware_entry(const args& a, sim::event_entry& e)
{
    std::uint64_t code = 0;
    if (a.size() != 2 || !read_hex(a[1], 0xFFFFFFFF, code)) return misuse("event hardware PORT ERRORCODE (hex)");
    e = sim::make_event(sim::EVENT_CLASS_FAULT, sim::EVENT_CODE_FAULT);
    zan::store_le32(e.data() + sim::EVENT_DETAIL, static_cast<std::uint32_t>(code));
    e[sim::EVENT_DETAIL_KIND] = sim::FAULT_HARDWARE_ERROR;
    return 0;
}

// event check PORT DRIVE CDB SENSE: a drive's check condition (class 7), the
// command's CDB (up to 12 bytes) and its sense data (up to 40), in hex.
int check_entry(const args& a, sim::event_entry& e)
{
    std::uint8_t drive = 0;
    std::vector<std::uint8_t> cdb;
    std::vector<std::uint8_t> sense;
    if (a.size() != 4 || !read_byte(a[1], drive) || !read_hex_bytes(a[2], sim::EVENT_CDB_SIZE, cdb) ||
        !read_hex_bytes(a[3], sim::EVENT_SENSE_SIZE, sense)) {
        return misuse("event check PORT DRIVE CDB SENSE (CDB up to 12 and sense up to 40 hex bytes)");
    }
    e = sim::make_event(sim::EVENT_CLASS_CHECK_CONDITION, sim::EVENT_CODE_CHECK_CONDITION);
    zan::store_le32(e.data() + sim::EVENT_SENSE_DRIVE, drive);
    std::copy(cdb.begin(), cdb.end(), e.begin() + sim::EVENT_CDB);
    std::copy(sense.begin(), sense.end(), e.begin() + sim::EVENT_SENSE);
    return 0;
}

// event singlebit PORT LOCATION [LOCATION]: single-bit memory errors at one
// or two memory locations (0-255).
int single_bit_entry(const args& a, sim::event_entry& e)
{
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    if (a.size() < 2 || a.size() > 3 || !read_byte(a[1], first) || (a.size() == 3 && !read_byte(a[2], second))) {
        return misuse("event singlebit PORT LOCATION [LOCATION] (0-255)");
    }
    e = sim::make_event(sim::EVENT_CLASS_STATE, sim::EVENT_CODE_STATE);
    zan::store_le16(e.data() + sim::EVENT_TYPE, sim::EVENT_TYPE_SINGLE_BIT);
    e[sim::EVENT_LOCATION_A] = first;
    e[sim::EVENT_LOCATION_B] = second;
    e[sim::EVENT_LOCATION_FLAGS] = a.size() == 3 ? 3 : 1;
    return 0;
}

// event copy PORT LOGICAL start TARGET | end | abort: a preventive copy of a
// logical drive's member to drive TARGET (class 41).
int copy_entry(const args& a, sim::event_entry& e)
{
    std::uint8_t logical = 0;
    std::uint8_t target = 0;
    std::uint8_t before = sim::COPY_RUNNING;
    std::uint8_t after = sim::COPY_NONE;
    const bool fits = a.size() >= 3 && read_byte(a[1], logical);
    if (fits && a[2] == "start" && a.size() == 4 && read_byte(a[3], target)) {
        before = sim::COPY_NONE;
        after = sim::COPY_RUNNING;
    } else if (fits && a[2] == "end" && a.size() == 3) {
        after = sim::COPY_DONE;
    } else if (!(fits && a[2] == "abort" && a.size() == 3)) {
        return misuse("event copy PORT LOGICAL start TARGET | end | abort");
    }
    e = sim::make_event(sim::EVENT_CLASS_COPY, sim::EVENT_CODE_COPY);
    e[sim::EVENT_OBJECT] = logical;
    e[sim::EVENT_NEW_STATE] = after;
    e[sim::EVENT_OLD_STATE] = before;
    e[sim::EVENT_TARGET] = target;
    return 0;
}

// event medium PORT DRIVE COUNT: a present drive's medium error count
// changes to COUNT (class 2, code 39).
int medium_entry(const args& a, bool ignore)
{
    int port = 0;
    std::uint32_t hdd = 0;
    std::uint64_t count = 0;
    if (a.size() != 3 || !read_port(a[0], port) || !read_drive(a[1], hdd) || !read_number(a[2], 0xFFFFFFFE, count)) {
        return misuse("event medium PORT DRIVE COUNT");
    }
    return done(sim::change_adapter(port, [hdd, count, ignore](sim::adapter& ad) {
        if (!ad.drives[hdd].present) return "drive " + std::to_string(hdd) + " is not present";
        ad.drives[hdd].medium_errors = static_cast<std::uint32_t>(count);
        sim::event_entry e = sim::make_event(sim::EVENT_CLASS_STATE, sim::EVENT_CODE_MEDIUM);
        e[sim::EVENT_DETAIL] = static_cast<std::uint8_t>(hdd);
        zan::store_le32(e.data() + sim::EVENT_DETAIL_KIND, static_cast<std::uint32_t>(count));
        e[sim::EVENT_IGNORE] = ignore ? 1 : 0;
        sim::append_event(ad, e);
        return std::string();
    }));
}

struct named_entry {
    const char* name;
    int (*build)(const args& a, sim::event_entry& e);
};

constexpr named_entry NAMED_ENTRIES[] = {
    {"hardware", hardware_entry},
    {"check", check_entry},
    {"singlebit", single_bit_entry},
    {"copy", copy_entry},
};

} // namespace

int cmd_event(const args& all)
{
    args a = all;
    const bool ignore = !a.empty() && a.back() == IGNORE_OPTION;
    if (ignore) a.pop_back();
    if (a.empty()) return misuse("event needs a port number, a class and a code (hex)");
    const std::string kind = a[0];
    if (kind == "medium") return medium_entry(args(a.begin() + 1, a.end()), ignore);
    sim::event_entry e{};
    int port = 0;
    int status = 0;
    const auto named = std::find_if(std::begin(NAMED_ENTRIES), std::end(NAMED_ENTRIES),
                                    [&kind](const named_entry& n) { return kind == n.name; });
    if (named == std::end(NAMED_ENTRIES)) {
        if (a.size() < 3) return misuse("event needs a port number, a class and a code (hex)");
        status = raw_entry(a, e, port);
    } else {
        const args rest(a.begin() + 1, a.end());
        if (rest.empty() || !read_port(rest[0], port)) {
            return misuse(std::string("event ") + kind + " needs a port number");
        }
        status = named->build(rest, e);
    }
    if (status != 0) return status;
    if (ignore) e[sim::EVENT_IGNORE] = 1;
    return write_entry(port, e);
}

// smart PORT DRIVE [CODE]: a present drive crosses a S.M.A.R.T. threshold;
// the firmware writes the warning with the drive's code (hex, 5d without one).
int cmd_smart(const args& a)
{
    constexpr std::uint64_t DEFAULT_CODE = 0x5D; // failure prediction threshold exceeded
    constexpr std::uint32_t SMART_RECEIVED = 4;
    int port = 0;
    std::uint32_t hdd = 0;
    std::uint64_t code = DEFAULT_CODE;
    if (!read_port(a[0], port) || !read_drive(a[1], hdd) || (a.size() == 3 && !read_hex(a[2], 0xFF, code))) {
        return misuse("smart PORT DRIVE [CODE] (a port, a drive 0-11 and a hex byte)");
    }
    return done(sim::change_adapter(port, [hdd, code](sim::adapter& ad) {
        if (!ad.drives[hdd].present) return "drive " + std::to_string(hdd) + " is not present";
        ad.drives[hdd].smart = SMART_RECEIVED;
        sim::log_smart_warning(ad, hdd, static_cast<std::uint8_t>(code));
        return std::string();
    }));
}
