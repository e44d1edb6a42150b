// zansim drive: what the drives answer to the SCSI commands the adapter
// forwards to them: identity, spindle, the contents of their logs, and a
// chosen answer for the next commands.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>

#include "change.h"
#include "command_line.h"
#include "drive_firmware.h"
#include "drive_logs.h"
#include "drive_mode.h"
#include "drive_scsi.h"
#include "fields.h"
#include "model_text.h"
#include "report.h"

namespace {

// A hex or decimal number as the scenario format writes it.
bool read_value(const std::string& text, std::uint64_t limit, std::uint64_t& out)
{
    return sim::parse_number(text, limit, out);
}

std::string present_drive(const sim::adapter& a, std::uint32_t hdd)
{
    return a.drives[hdd].present ? std::string() : "drive " + std::to_string(hdd) + " is not present";
}

// Runs `change` on a present drive under the adapter's lock.
template <class F>
int change_drive(int port, std::uint32_t hdd, F change)
{
    const std::string error = sim::change_adapter(port, [hdd, &change](sim::adapter& a) {
        if (std::string e = present_drive(a, hdd); !e.empty()) return e;
        return change(a.drives[hdd]);
    });
    return error.empty() ? 0 : fail(error);
}

int drive_set(int port, std::uint32_t hdd, const args& settings)
{
    return change_drive(port, hdd, [&settings](sim::physical_drive& d) {
        for (const std::string& setting : settings) {
            const std::size_t equals = setting.find('=');
            if (equals == std::string::npos) return "'" + setting + "' is not key=value";
            const std::string key = setting.substr(0, equals);
            if (key == "present") return std::string("a drive leaves its slot with pull");
            if (std::string e = sim::apply_drive_setting(d, key, setting.substr(equals + 1)); !e.empty()) return e;
            // A new size as made drops an earlier capacity change.
            if (key == "size_mb") {
                d.blocks = 0;
                d.full_mb = 0;
            }
        }
        return std::string();
    });
}

// The bytes a drive hands out for LOG: an internal log by name, with its
// header, or a whole log page "0xPP" or "0xPP/PC".
std::optional<std::vector<std::uint8_t>> log_bytes(const sim::physical_drive& d, std::uint32_t hdd,
                                                   const std::string& log)
{
    constexpr std::pair<const char*, std::uint8_t> NAMES[] = {{"status", sim::LOG_DRIVE_STATUS},
                                                              {"internal", sim::LOG_DRIVE_INTERNAL},
                                                              {"command", sim::LOG_COMMAND},
                                                              {"controller", sim::LOG_CONTROLLER_INFO}};
    for (const auto& [name, selector] : NAMES) {
        if (log == name) return sim::internal_log(d, hdd, selector);
    }
    const std::size_t slash = log.find('/');
    std::uint64_t page = 0;
    std::uint64_t pc = sim::PC_CURRENT_CUMULATIVE;
    if (!read_value(log.substr(0, slash), 0x3F, page) ||
        (slash != std::string::npos && !read_number(log.substr(slash + 1), 3, pc))) {
        return std::nullopt;
    }
    return sim::log_page(d, hdd, static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(pc));
}

int write_file(const std::string& file, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? 0 : fail("cannot write " + file);
}

int drive_dump(int port, std::uint32_t hdd, const std::string& log, const std::string& file)
{
    const std::string root = sim::root_dir();
    if (std::string e = sim::check_port(port, root); !e.empty()) return fail(e);
    sim::adapter a;
    if (std::string e = sim::load_adapter(root, static_cast<std::uint32_t>(port), a); !e.empty()) return fail(e);
    if (std::string e = present_drive(a, hdd); !e.empty()) return fail(e);
    const std::optional<std::vector<std::uint8_t>> bytes = log_bytes(a.drives[hdd], hdd, log);
    if (!bytes) {
        return misuse("LOG is status, internal, command, controller or a log page the drive keeps (0x31, 0x02/0)");
    }
    return write_file(file, *bytes);
}

// zansim drive image FILE REVISION LENGTH: a drive microcode image.
int drive_image(const args& a)
{
    std::uint64_t length = 0;
    const bool printable = std::all_of(a[2].begin(), a[2].end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (a.size() != 4 || a[2].size() != 4 || !printable || !read_number(a[3], sim::DRIVE_IMAGE_MAX, length) ||
        length < sim::DRIVE_IMAGE_HEADER) {
        return misuse("drive image FILE REVISION LENGTH: a revision of 4 printable characters, a length from " +
                      std::to_string(sim::DRIVE_IMAGE_HEADER) + " to " + std::to_string(sim::DRIVE_IMAGE_MAX));
    }
    return write_file(a[1], sim::build_drive_image(a[2], static_cast<std::uint32_t>(length)));
}

int drive_answer(int port, std::uint32_t hdd, const args& a)
{
    std::uint64_t status = 0;
    std::uint64_t count = 0;
    std::uint64_t sense = 0;
    std::uint64_t info = 0;
    if (!read_value(a[0], 0xFF, status) || !read_number(a[1], UINT32_MAX, count) ||
        (a.size() > 2 && !read_value(a[2], 0xFFFFFF, sense)) || (a.size() > 3 && !read_value(a[3], UINT32_MAX, info))) {
        return misuse("drive answer PORT DRIVE STATUS N [SENSE [INFO]]: STATUS up to 0xFF, N a count, "
                      "SENSE 0xKKAAQQ, INFO up to 0xFFFFFFFF");
    }
    return change_drive(port, hdd, [&](sim::physical_drive& d) {
        d.answer_status = static_cast<std::uint32_t>(status);
        d.answer_count = static_cast<std::uint32_t>(count);
        d.answer_sense = static_cast<std::uint32_t>(sense);
        d.answer_info = static_cast<std::uint32_t>(info);
        return std::string();
    });
}

} // namespace

int cmd_drive(const args& a)
{
    int port = 0;
    std::uint32_t hdd = 0;
    const std::string& what = a[0];
    if (what == "image") return drive_image(a);
    if (!read_port(a[1], port) || !read_drive(a[2], hdd)) {
        return misuse("drive " + what + " needs a port number (0-255) and a drive number (0-11)");
    }
    const args rest(a.begin() + 3, a.end());
    std::uint64_t seed = 0;
    if (what == "set") return drive_set(port, hdd, rest);
    if (what == "spindle" && rest.size() == 1 && (rest[0] == "start" || rest[0] == "stop")) {
        const bool start = rest[0] == "start";
        return change_drive(port, hdd, [start](sim::physical_drive& d) {
            sim::set_spindle(d, start);
            return std::string();
        });
    }
    if (what == "logs" && rest.size() == 1 && read_value(rest[0], UINT32_MAX, seed)) {
        return change_drive(port, hdd, [seed](sim::physical_drive& d) {
            d.log_seed = static_cast<std::uint32_t>(seed);
            return std::string();
        });
    }
    if (what == "dump" && rest.size() == 2) return drive_dump(port, hdd, rest[0], rest[1]);
    if (what == "answer" && rest.size() >= 2 && rest.size() <= 4) return drive_answer(port, hdd, rest);
    return misuse("drive set PORT DRIVE KEY=VALUE... | drive spindle PORT DRIVE start|stop | "
                  "drive logs PORT DRIVE SEED | drive dump PORT DRIVE LOG FILE | "
                  "drive answer PORT DRIVE STATUS N [SENSE [INFO]] | drive image FILE REVISION LENGTH");
}

namespace sim {

std::string drive_scsi_notes(const adapter& a)
{
    std::string out;
    for (std::uint32_t d = 0; d < DRIVE_SLOTS; ++d) {
        const physical_drive& drive = a.drives[d];
        if (!drive.present) continue;
        char text[160];
        if (drive.spindle != SPINDLE_RUNNING) {
            std::snprintf(text, sizeof text, "  Drive %u: spindle %s\n", d,
                          drive.spindle == SPINDLE_STOPPED ? "stopped" : "starting");
            out += text;
        }
        if (drive.answer_count != 0) {
            std::snprintf(text, sizeof text, "  Drive %u: answers status 0x%02X sense 0x%06X to the next %u commands\n",
                          d, drive.answer_status, drive.answer_sense, drive.answer_count);
            out += text;
        }
        if (drive.full_mb != 0) {
            std::snprintf(text, sizeof text, "  Drive %u: capacity changed to %llu blocks (%u MB as made)\n", d,
                          static_cast<unsigned long long>(drive_blocks(drive)), drive.full_mb);
            out += text;
        }
        if (drive.download_length != 0) {
            std::snprintf(text, sizeof text, "  Drive %u: microcode %s, %u of %u bytes received\n", d,
                          drive.download_revision.c_str(), drive.download_received, drive.download_length);
            out += text;
        }
    }
    return out;
}

} // namespace sim
