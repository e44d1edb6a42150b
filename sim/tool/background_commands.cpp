// zansim commands for the clock, background work, restore candidates, bad
// spots, firmware image files and adapter restarts.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "command_line.h"
#include "fields.h"
#include "flash.h"
#include "sim/control.h"

namespace {

constexpr std::uint64_t MS_PER_SECOND = 1000;
// Far enough for any test, near enough that milliseconds never overflow.
constexpr std::uint64_t MAX_SECONDS = 1ULL << 40;
// The largest image file zansim writes: beyond what any download can address.
constexpr std::uint64_t MAX_IMAGE_LENGTH = 64ULL << 20;

int done(const std::string& error)
{
    return error.empty() ? 0 : fail(error);
}

bool printable(const std::string& text)
{
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

std::uint8_t bcd(unsigned value)
{
    return static_cast<std::uint8_t>((value / 10) << 4 | value % 10);
}

// "YYYY/MM/DD" as the four BCD bytes of an image file.
bool read_date(const std::string& text, std::array<std::uint8_t, 4>& out)
{
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4u/%2u/%2u%c", &year, &month, &day, &tail) != 3 || year < 1000 ||
        month < 1 || month > 12 || day < 1 || day > 31) {
        return false;
    }
    out = {bcd(year / 100), bcd(year % 100), bcd(month), bcd(day)};
    return true;
}

} // namespace

int cmd_clock(const args& a)
{
    std::uint64_t seconds = 0;
    if (a.empty()) {
        bool simulated = false;
        std::uint64_t now = 0;
        if (std::string e = sim::clock_now(simulated, now); !e.empty()) return fail(e);
        std::printf("%s %llu.%03llu\n", simulated ? "simulated" : "real", static_cast<unsigned long long>(now / 1000),
                    static_cast<unsigned long long>(now % 1000));
        return 0;
    }
    if (a[0] == "real" && a.size() == 1) return done(sim::use_real_time());
    if (a[0] == "set" && a.size() == 1) return done(sim::advance_clock(0));
    if (a[0] == "set" && a.size() == 2) {
        if (!read_number(a[1], MAX_SECONDS, seconds)) return misuse("the time is a number of seconds since 1970");
        return done(sim::set_clock(seconds * MS_PER_SECOND));
    }
    if (a[0] == "advance" && a.size() == 2) {
        if (!read_number(a[1], MAX_SECONDS, seconds)) return misuse("the time is a number of seconds");
        return done(sim::advance_clock(seconds * MS_PER_SECOND));
    }
    return misuse("clock | clock set [SECONDS] | clock advance SECONDS | clock real");
}

int cmd_inconsistencies(const args& a)
{
    int port = 0;
    std::uint64_t logical = 0;
    std::uint64_t count = 0;
    if (!read_port(a[0], port) || !read_number(a[1], 11, logical) || !read_number(a[2], UINT32_MAX, count)) {
        return misuse("inconsistencies needs a port number, a logical drive (0-11) and a count");
    }
    return done(sim::set_inconsistencies(port, static_cast<std::uint32_t>(logical), static_cast<std::uint32_t>(count)));
}

int cmd_restore(const args& a)
{
    int port = 0;
    std::uint64_t level = 0;
    if (a[0] != "add" || !read_port(a[1], port) || !read_number(a[2], 10, level)) {
        return misuse("restore add PORT LEVEL DRIVE...");
    }
    std::vector<std::uint32_t> drives;
    for (std::size_t i = 3; i < a.size(); ++i) {
        std::uint32_t hdd = 0;
        if (!read_drive(a[i], hdd)) return misuse("drive numbers are 0-11");
        drives.push_back(hdd);
    }
    std::uint32_t number = 0;
    if (std::string e = sim::add_restore_candidate(port, static_cast<std::uint32_t>(level), drives, number);
        !e.empty()) {
        return fail(e);
    }
    std::printf("Restore candidate %u on port %d.\n", number, port);
    return 0;
}

int cmd_badspot(const args& a)
{
    int port = 0;
    std::uint32_t hdd = 0;
    if (!read_port(a[1], port) || !read_drive(a[2], hdd)) {
        return misuse("badspot needs a port number (0-255) and a drive number (0-11)");
    }
    if (a[0] == "clear" && a.size() == 3) return done(sim::clear_bad_spots(port, hdd));
    if (a[0] != "add" || a.size() < 4) return misuse("badspot add PORT DRIVE LBA... | badspot clear PORT DRIVE");
    std::vector<std::uint32_t> lbas;
    for (std::size_t i = 3; i < a.size(); ++i) {
        std::uint64_t lba = 0;
        if (!sim::parse_number(a[i], UINT32_MAX, lba)) return misuse("an LBA is a 32-bit number (decimal or 0x hex)");
        lbas.push_back(static_cast<std::uint32_t>(lba));
    }
    return done(sim::add_bad_spots(port, hdd, lbas));
}

int cmd_image(const args& a)
{
    if (a[0] != "write") return misuse("image write FILE --revision XXXX [OPTIONS]");
    sim::image_file image;
    bool has_revision = false;
    for (std::size_t i = 2; i < a.size(); i += 2) {
        if (i + 1 >= a.size()) return misuse(a[i] + " needs a value");
        const std::string& value = a[i + 1];
        std::uint64_t length = 0;
        if (a[i] == "--revision") {
            if (value.size() != 4 || !printable(value)) return misuse("a revision is 4 printable characters");
            image.revision = value;
            has_revision = true;
        } else if (a[i] == "--length") {
            if (!read_number(value, MAX_IMAGE_LENGTH, length) || length < sim::IMAGE_HEADER_SIZE) {
                return misuse("the length is a number of bytes from 32 to " + std::to_string(MAX_IMAGE_LENGTH));
            }
            image.length = static_cast<std::uint32_t>(length);
        } else if (a[i] == "--date") {
            if (!read_date(value, image.date)) return misuse("the date is YYYY/MM/DD");
        } else if (a[i] == "--author") {
            if (value.size() > 16 || !printable(value)) return misuse("the author is up to 16 printable characters");
            image.author = value;
        } else if (a[i] == "--broken" && (value == "magic" || value == "length" || value == "checksum")) {
            image.broken = value == "magic"    ? sim::image_file::damage::magic
                           : value == "length" ? sim::image_file::damage::length
                                               : sim::image_file::damage::checksum;
        } else {
            return misuse("unknown option " + a[i] + " " + value);
        }
    }
    if (!has_revision) return misuse("image write needs --revision");
    const std::vector<std::uint8_t> file = sim::build_image_file(image);
    std::ofstream out(a[1], std::ios::binary | std::ios::trunc);
    if (!out || !out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size())) ||
        !out.flush()) {
        return fail("cannot write " + a[1] + ": " + std::strerror(errno));
    }
    return 0;
}

int cmd_restart(const args& a)
{
    int port = 0;
    if (!read_port(a[0], port)) return misuse("the port is a number from 0 to 255");
    return done(sim::restart(port));
}
