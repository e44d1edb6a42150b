// zansim: creates simulated machines from scenarios, shows their adapters and
// injects the faults that the programs of the suite must cope with.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "clock.h"
#include "command_line.h"
#include "fields.h"
#include "report.h"
#include "sim/control.h"
#include "sim/root.h"
#include "serve.h"
#include "store.h"
#include "tasks.h"

namespace {

constexpr char USAGE[] =
    "Usage: zansim COMMAND [ARGUMENTS]\n"
    "The simulated machine lives in the root folder named by ZAN_ROOT.\n"
    "\n"
    "  create [SCENARIO]              create the root anew from a scenario file\n"
    "                                 (the embedded demo scenario without one)\n"
    "  show                           show every adapter, its drives, logical drives and faults\n"
    "  fault busy PORT N              answer busy to the next N requests\n"
    "  fault status PORT STATUS N     answer status word STATUS (hex) to the next N requests\n"
    "  fault silent PORT on|off       stop or resume answering\n"
    "  fault at PORT N status STATUS  the N-th request from now (1: the next) answers STATUS\n"
    "  fault at PORT N busy COUNT     ... begins COUNT busy answers\n"
    "  fault at PORT N silent         ... gets no answer; the others are answered as usual\n"
    "  fault clear PORT               drop every pending fault\n"
    "  fail PORT DRIVE [STATE]        break a drive (it goes to alarm state STATE, hex\n"
    "                                 0x20-0x2F, 0x20 without one)\n"
    "  pull PORT DRIVE                take a drive out of its slot\n"
    "  insert PORT DRIVE [KEY=VALUE]  put a drive into an empty slot; keys as in a\n"
    "                                 scenario's [drive N] section (vendor, size_mb, ...)\n"
    "  drive set PORT DRIVE KEY=VALUE...\n"
    "                                 change a drive's keys as in a [drive N] section\n"
    "                                 (vendor, product, revision, serial, spin_up_polls, ...)\n"
    "  drive spindle PORT DRIVE start|stop\n"
    "                                 start or stop a drive's spindle\n"
    "  drive logs PORT DRIVE SEED     fill the drive's internal logs and log pages anew\n"
    "  drive dump PORT DRIVE LOG FILE write what the drive hands out for LOG: status,\n"
    "                                 internal, command or controller (the internal logs with\n"
    "                                 their header), or a log page in hex (0x31; 0x31/PC\n"
    "                                 with page control PC, 1 without)\n"
    "  drive answer PORT DRIVE STATUS N [SENSE [INFO]]\n"
    "                                 answer SCSI status STATUS (hex) to the next N commands;\n"
    "                                 with 2 (CHECK CONDITION) the sense 0xKKAAQQ (key,\n"
    "                                 ASC, ASCQ) and the information field\n"
    "  drive image FILE REVISION LENGTH\n"
    "                                 write a drive microcode image of LENGTH bytes that\n"
    "                                 carries REVISION (4 characters), for zanpth F\n"
    "  volume add PORT LOGICAL LETTER put a Windows volume on a logical drive\n"
    "  volume remove LETTER           remove a Windows volume\n"
    "  disks                          list the Windows disks, as \\\\.\\PHYSICALDRIVEn numbers them\n"
    "  disk PORT LOGICAL basic|dynamic\n"
    "                                 make a logical drive's disk a basic or a dynamic disk\n"
    "  turbine PORT LOGICAL 0x5A|0xA5|none\n"
    "                                 make a logical drive a Raid Turbine one (its level byte)\n"
    "  desktop                        list the message boxes shown on the machine\n"
    "  desktop clear                  close them all\n"
    "  clock                          show the clock background work follows\n"
    "  clock set [SECONDS]            stop the clock (at SECONDS since 1970, or now); it\n"
    "                                 then moves only when told\n"
    "  clock advance SECONDS          move the stopped clock on\n"
    "  clock real                     follow real time again\n"
    "  inconsistencies PORT LOGICAL N parity errors a check or parity making finds\n"
    "  data write PORT LOGICAL LBA COUNT SEED\n"
    "                                 write COUNT blocks of the pattern SEED into a logical\n"
    "                                 drive from block LBA on\n"
    "  data verify PORT LOGICAL LBA COUNT SEED\n"
    "                                 check that the blocks hold that pattern\n"
    "  restore add PORT LEVEL DRIVE...\n"
    "                                 a restore candidate (level 0, 1, 5 or 10) on free drives\n"
    "  badspot add PORT DRIVE LBA...  add bad spots to a drive's list\n"
    "  badspot clear PORT DRIVE       empty a drive's bad-spot list\n"
    "  image write FILE --revision XXXX [--length N] [--date YYYY/MM/DD]\n"
    "        [--author TEXT] [--broken magic|length|checksum]\n"
    "                                 write a firmware image file\n"
    "  event PORT CLASS CODE [OFFSET:HEX]...\n"
    "                                 write an event-log entry: zeros, the class and code\n"
    "                                 (hex), and the given bytes from each offset on\n"
    "  event hardware PORT ERRORCODE  a hardware error with its error code (hex)\n"
    "  event check PORT DRIVE CDB SENSE\n"
    "                                 a drive's check condition: CDB and sense bytes in hex\n"
    "  event singlebit PORT LOCATION [LOCATION]\n"
    "                                 single-bit memory errors at one or two locations (0-255)\n"
    "  event copy PORT LOGICAL start TARGET|end|abort\n"
    "                                 a preventive copy of a logical drive to drive TARGET\n"
    "  event medium PORT DRIVE COUNT  a drive's medium error count changes\n"
    "                                 (each event form takes --ignore last: the ignore flag set)\n"
    "  smart PORT DRIVE [CODE]        a drive reports a S.M.A.R.T. warning (code hex, 5d)\n"
    "  dump PORT SIZE [STATUS]        keep a stored dump of SIZE bytes (status 1, ready,\n"
    "                                 without one) for the monitoring service\n"
    "  dump PORT none                 keep no stored dump\n"
    "  panic PORT CODE                the firmware panics with error CODE (an event-log entry)\n"
    "  freespace [BYTES|host]         show or cap the free space every volume reports\n"
    "                                 (host: the host's own)\n"
    "  restart PORT                   restart the adapter (downloaded firmware starts)\n"
    "  requests PORT                  print the number of requests answered\n"
    "  hold PORT SECONDS              keep the adapter occupied for a while\n"
    "  eventlog [--data]              list the Event Log, oldest first (--data: with raw data)\n"
    "  eventlog clear                 empty the Event Log\n"
    "  service start NAME PROGRAM [ARGUMENTS]\n"
    "                                 run PROGRAM in the background as the service NAME\n"
    "  service stop|shutdown|interrogate NAME\n"
    "                                 send a control to the service's handler\n"
    "  service status|history NAME    its last status report, or all of them\n"
    "  service wait NAME STATE        wait until it reports STATE (RUNNING, STOPPED, ...)\n"
    "  service idle NAME              wait until it sits in a wait on the stopped clock\n"
    "  sync                           make the root's last changes survive a machine crash\n"
    "  serve [PORT]                   serve the Windows programs' device requests on\n"
    "                                 127.0.0.1 (PORT, or one it picks and prints)\n"
    "  serve stop PORT                stop the server on PORT\n"
    "  help                           show this text\n";

int cmd_create(const args& a)
{
    std::string text = sim::demo_scenario();
    std::string name = "the demo scenario";
    if (!a.empty()) {
        name = a[0];
        std::ifstream in(name, std::ios::binary);
        if (!in) return fail("cannot read " + name + ": " + std::strerror(errno));
        std::stringstream content;
        content << in.rdbuf();
        if (in.bad()) return fail("cannot read " + name);
        text = content.str();
        if (text.find_first_not_of(" \t\r\n") == std::string::npos) return fail(name + ": the scenario is empty");
    }
    const std::string root = sim::root_dir();
    if (std::string e = sim::create_root(text); !e.empty()) return fail(name + ": " + e);
    std::printf("Created %s from %s.\n", root.c_str(), name.c_str());
    return 0;
}

int cmd_show(const args&)
{
    const std::string root = sim::root_dir();
    const std::vector<std::uint32_t> ports = sim::list_ports(root);
    if (ports.empty()) {
        std::printf("No adapters in %s.\n", root.c_str());
        return 0;
    }
    sim::clock_reading clock;
    if (std::string e = sim::read_clock(root, clock); !e.empty()) return fail(e);
    std::printf("%s", sim::clock_report(clock).c_str());
    int status = 0;
    for (const std::uint32_t port : ports) {
        sim::adapter a;
        if (std::string e = sim::load_adapter(root, port, a); !e.empty()) {
            std::fflush(stdout);
            status = fail("adapter on port " + std::to_string(port) + ": " + e);
            continue;
        }
        // The adapter as a request would find it now; nothing is saved.
        sim::advance_tasks(a, clock.now_ms);
        std::printf("\n%s", sim::adapter_report(a).c_str());
    }
    return status;
}

constexpr char STATUS_WORD[] = "the status is a hex number up to 0xFFFF, like 0x8013";

// A status word in hex, with or without 0x.
bool read_status(const std::string& text, std::uint16_t& status)
{
    std::string hex = text;
    if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.erase(0, 2);
    std::uint64_t value = 0;
    if (hex.empty() || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
        !sim::parse_number("0x" + hex, 0xFFFF, value)) {
        return false;
    }
    status = static_cast<std::uint16_t>(value);
    return true;
}

// fault at PORT N, then what the request gets: "status STATUS", "busy COUNT"
// or "silent".
int fault_at(int port, const args& a)
{
    std::uint64_t n = 0;
    if (!read_number(a[0], UINT64_MAX, n) || n == 0) return misuse("N counts requests from 1, the next one");
    std::string error;
    std::uint64_t count = 0;
    std::uint16_t status = 0;
    if (a[1] == "status" && a.size() == 3) {
        if (!read_status(a[2], status)) return misuse(STATUS_WORD);
        error = sim::inject_status_at(port, n, status);
    } else if (a[1] == "busy" && a.size() == 3) {
        if (!read_number(a[2], UINT32_MAX, count) || count == 0) return misuse("the busy count is a number from 1");
        error = sim::inject_busy_at(port, n, static_cast<std::uint32_t>(count));
    } else if (a[1] == "silent" && a.size() == 2) {
        error = sim::inject_silence_at(port, n);
    } else {
        return misuse("fault at PORT N status STATUS | fault at PORT N busy COUNT | fault at PORT N silent");
    }
    return error.empty() ? 0 : fail(error);
}

int cmd_fault(const args& a)
{
    int port = 0;
    if (a.size() < 2 || !read_port(a[1], port)) return misuse("fault needs a kind and a port number (0-255)");
    const std::string& kind = a[0];
    std::string error;
    std::uint64_t count = 0;
    if (kind == "busy" && a.size() == 3) {
        if (!read_number(a[2], UINT32_MAX, count)) return misuse("the count is a number");
        error = sim::inject_busy(port, static_cast<std::uint32_t>(count));
    } else if (kind == "status" && a.size() == 4) {
        std::uint16_t status = 0;
        if (!read_status(a[2], status)) return misuse(STATUS_WORD);
        if (!read_number(a[3], UINT32_MAX, count)) return misuse("the count is a number");
        error = sim::inject_status(port, status, static_cast<std::uint32_t>(count));
    } else if (kind == "silent" && a.size() == 3) {
        if (a[2] != "on" && a[2] != "off") return misuse("fault silent takes on or off");
        error = sim::set_silent(port, a[2] == "on");
    } else if (kind == "at" && a.size() >= 4) {
        return fault_at(port, args(a.begin() + 2, a.end()));
    } else if (kind == "clear" && a.size() == 2) {
        error = sim::clear_faults(port);
    } else {
        return misuse("fault busy PORT N | fault status PORT STATUS N | fault silent PORT on|off | "
                      "fault at PORT N status STATUS|busy COUNT|silent | fault clear PORT");
    }
    return error.empty() ? 0 : fail(error);
}

// A drive letter, with or without its colon.
bool read_letter(const std::string& text, char& letter)
{
    if (text.empty() || text.size() > 2 || (text.size() == 2 && text[1] != ':')) return false;
    letter = text[0];
    return std::isalpha(static_cast<unsigned char>(letter)) != 0;
}

// fail, pull and insert: PORT DRIVE, then insert's settings.
int drive_command(const args& a, const char* name, const std::function<std::string(int, std::uint32_t)>& run)
{
    int port = 0;
    std::uint32_t hdd = 0;
    if (!read_port(a[0], port) || !read_drive(a[1], hdd)) {
        return misuse(std::string(name) + " needs a port number (0-255) and a drive number (0-11)");
    }
    const std::string error = run(port, hdd);
    return error.empty() ? 0 : fail(error);
}

int cmd_fail(const args& a)
{
    std::uint16_t state = 0x20;
    if (a.size() == 3 && (!read_status(a[2], state) || state < 0x20 || state > 0x2F)) {
        return misuse("a failed drive's state is 0x20 to 0x2F");
    }
    return drive_command(args(a.begin(), a.begin() + 2), "fail",
                         [state](int port, std::uint32_t hdd) { return sim::fail_drive(port, hdd, state); });
}

int cmd_pull(const args& a)
{
    return drive_command(a, "pull", sim::pull_drive);
}

int cmd_insert(const args& a)
{
    int port = 0;
    std::uint32_t hdd = 0;
    if (!read_port(a[0], port) || !read_drive(a[1], hdd)) {
        return misuse("insert needs a port number (0-255) and a drive number (0-11)");
    }
    const std::string error = sim::insert_drive(port, hdd, args(a.begin() + 2, a.end()));
    return error.empty() ? 0 : fail(error);
}

int cmd_volume(const args& a)
{
    int port = 0;
    std::uint64_t logical = 0;
    char letter = 0;
    std::string error;
    if (a[0] == "add" && a.size() == 4) {
        if (!read_port(a[1], port) || !read_number(a[2], 11, logical) || !read_letter(a[3], letter)) {
            return misuse("volume add needs a port number, a logical drive (0-11) and a drive letter");
        }
        error = sim::add_volume(port, static_cast<std::uint32_t>(logical), letter);
    } else if (a[0] == "remove" && a.size() == 2) {
        if (!read_letter(a[1], letter)) return misuse("volume remove needs a drive letter");
        error = sim::remove_volume(letter);
    } else {
        return misuse("volume add PORT LOGICAL LETTER | volume remove LETTER");
    }
    return error.empty() ? 0 : fail(error);
}

int cmd_requests(const args& a)
{
    int port = 0;
    if (!read_port(a[0], port)) return misuse("the port is a number from 0 to 255");
    std::uint64_t count = 0;
    if (std::string e = sim::request_count(port, count); !e.empty()) return fail(e);
    std::printf("%llu\n", static_cast<unsigned long long>(count));
    return 0;
}

int cmd_hold(const args& a)
{
    int port = 0;
    std::uint64_t seconds = 0;
    if (!read_port(a[0], port)) return misuse("the port is a number from 0 to 255");
    if (!read_number(a[1], 3600, seconds)) return misuse("the time is a number of seconds up to 3600");
    const std::string root = sim::root_dir();
    const auto p = static_cast<std::uint32_t>(port);
    if (!sim::adapter_exists(root, p)) return fail("no adapter on port " + a[0]);
    sim::root_lock lock;
    switch (lock.lock_within(sim::adapter_lock_path(root, p), 5000)) {
    case sim::root_lock::outcome::held: break;
    case sim::root_lock::outcome::busy: return fail("the adapter on port " + a[0] + " stays busy");
    case sim::root_lock::outcome::failed: return fail(lock.error());
    }
    std::printf("Holding the adapter on port %d for %llu seconds.\n", port, static_cast<unsigned long long>(seconds));
    std::fflush(stdout);
    for (unsigned left = static_cast<unsigned>(seconds); left != 0;) left = ::sleep(left);
    // Said while still holding, so that whoever gets the adapter next finds
    // the line written.
    std::printf("Released the adapter on port %d.\n", port);
    std::fflush(stdout);
    return 0;
}

int cmd_sync(const args&)
{
    if (std::string e = sim::sync_root(sim::root_dir()); !e.empty()) return fail(e);
    return 0;
}

int cmd_help(const args&)
{
    std::fputs(USAGE, stdout);
    return 0;
}

struct command {
    const char* name;
    std::size_t min_args;
    std::size_t max_args;
    int (*run)(const args&);
};

constexpr command COMMANDS[] = {
    {"create", 0, 1, cmd_create},   {"show", 0, 0, cmd_show}, {"fault", 2, 5, cmd_fault},
    {"requests", 1, 1, cmd_requests}, {"hold", 2, 2, cmd_hold}, {"help", 0, 0, cmd_help}, {"sync", 0, 0, cmd_sync},
    {"fail", 2, 3, cmd_fail},         {"pull", 2, 2, cmd_pull}, {"insert", 2, 2 + 12, cmd_insert},
    {"volume", 2, 4, cmd_volume},     {"drive", 4, 4 + 16, cmd_drive},     {"clock", 0, 2, cmd_clock},
    {"inconsistencies", 3, 3, cmd_inconsistencies}, {"restore", 4, 4 + 12, cmd_restore},
    {"badspot", 3, 3 + 16, cmd_badspot}, {"restart", 1, 1, cmd_restart}, {"image", 4, 13, cmd_image},
    {"eventlog", 0, 1, cmd_eventlog},
    {"event", 3, 3 + 32, cmd_event}, {"smart", 2, 3, cmd_smart},
    {"dump", 2, 3, cmd_dump},         {"panic", 2, 2, cmd_panic}, {"freespace", 0, 1, cmd_freespace},
    {"service", 2, 32, cmd_service},
    {"serve", 0, 2, cmd_serve},
    {"disks", 0, 0, cmd_disks},     {"disk", 3, 3, cmd_disk}, {"turbine", 3, 3, cmd_turbine},
    {"desktop", 0, 1, cmd_desktop},
    {"data", 6, 6, cmd_data},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return misuse("no command given");
    const std::string name = argv[1];
    const args rest(argv + 2, argv + argc);
    for (const command& c : COMMANDS) {
        if (name != c.name) continue;
        if (rest.size() < c.min_args || rest.size() > c.max_args) {
            return misuse("wrong number of arguments for " + name);
        }
        return c.run(rest);
    }
    return misuse("unknown command '" + name + "'");
}
