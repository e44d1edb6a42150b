#include "report.h"

#include <cstdarg>
#include <cstdio>

#include "fields.h"
#include "raid.h"

namespace sim {

namespace {

constexpr named_code CLASS_NAMES[] = {
    {"Member Use", CLASS_MEMBER_USE}, {"Member No Use", CLASS_MEMBER_NO_USE}, {"Spare Use", CLASS_SPARE_USE},
    {"Spare No Use", CLASS_SPARE_NO_USE}, {"Fresh", CLASS_FRESH}, {"Restore Candidate", CLASS_RESTORE_CANDIDATE},
};

constexpr named_code LOGICAL_STATE_NAMES[] = {
    {"good", LD_GOOD}, {"rebuilding", LD_REBUILDING}, {"warning", LD_WARNING}, {"alarm", LD_ALARM}};
constexpr named_code REBUILD_NAMES[] = {{"-", 0}, {"needed", 1}, {"executing", 2}};
constexpr named_code MAINTENANCE_NAMES[] = {{"-", 0}, {"check", 1}, {"parity", 2}};

std::string line(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string line(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return std::string(text) + "\n";
}

std::string word(std::span<const named_code> names, std::uint32_t code)
{
    if (const char* name = name_of(names, code)) return name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

std::string drive_rows(const adapter& a)
{
    std::string out = line("  %-5s %-11s %-20s %8s  %-8s %-16s %-4s  %-8s %-8s %9s %13s", "Drive", "State",
                           "Class", "Size MB", "Vendor", "Product", "Rev", "Link", "SMART", "Bad spots",
                           "Medium errors");
    for (std::uint32_t d = 0; d < DRIVE_SLOTS; ++d) {
        const physical_drive& drive = a.drives[d];
        if (!drive.present) continue;
        std::string use = word(CLASS_NAMES, drive_class(a, d));
        if (const assignment where = drive_assignment(a, d); where.logical != NONE) {
            const std::string position = std::to_string(where.position);
            use += " " + std::to_string(where.logical) +
                   (where.role == ROLE_GROUP_SPARE ? "-GroupHS"
                    : where.role == ROLE_SPARE_IN_USE ? "-S" + position
                                                      : "-D" + position);
        }
        const std::string medium = drive.medium_errors == MEDIUM_ERRORS_NOT_AVAILABLE
                                       ? "n/a"
                                       : std::to_string(drive.medium_errors);
        out += line("  %-5u %-11s %-20s %8u  %-8s %-16s %-4s  %-8s %-8s %9zu %13s", d,
                    word(drive_state_names(), drive.state).c_str(), use.c_str(), drive.size_mb,
                    drive.vendor.c_str(), drive.product.c_str(), drive.revision.c_str(),
                    word(link_names(), drive.link).c_str(), drive.smart != 0 ? "received" : "none",
                    drive.bad_spots.size(), medium.c_str());
    }
    return out;
}

// One row per logical drive (or restore candidate) of `list`.
std::string layout_rows(const adapter& a, const std::array<logical_drive, LOGICAL_SLOTS>& list, bool candidates)
{
    std::string out;
    for (int n = 0; n < LOGICAL_SLOTS; ++n) {
        const logical_drive& ld = list[static_cast<std::size_t>(n)];
        if (!ld.defined) continue;
        if (out.empty()) {
            out = line("  %-9s %-6s %-10s %8s  %-6s %-18s %-10s %-11s %-8s %-6s %s",
                       candidates ? "Candidate" : "Logical", "Level", "State", "Size MB", "Stripe", "Members",
                       "Rebuild", "Maintenance", "Progress", "Errors", "Volumes");
        }
        const std::string stripe = ld.stripe_blocks == 0 ? "none" : std::to_string(ld.stripe_blocks / 2) + "k";
        std::string volumes;
        for (char letter : ld.volumes) volumes += (volumes.empty() ? "" : " ") + std::string(1, letter) + ":";
        if (volumes.empty()) volumes = "-";
        if (ld.disk_style == DISK_DYNAMIC) volumes += ", dynamic disk";
        if (ld.turbine != 0) volumes += ", Raid Turbine " + word({}, ld.turbine);
        const std::string progress = std::to_string(ld.progress) + "%";
        const std::uint8_t state = candidates ? array_state(a, ld) : logical_state(a, n);
        out += line("  %-9d %-6s %-10s %8u  %-6s %-18s %-10s %-11s %-8s %-6u %s", n,
                    ("RAID" + format_level(ld)).c_str(), word(LOGICAL_STATE_NAMES, state).c_str(),
                    logical_size_mb(a, ld), stripe.c_str(), format_members(ld).c_str(),
                    word(REBUILD_NAMES, ld.rebuild).c_str(), word(MAINTENANCE_NAMES, ld.maintenance).c_str(),
                    progress.c_str(), ld.errors, volumes.c_str());
    }
    return out;
}

// The two flash ROM banks, the start bank and a download in progress.
std::string flash_line(const adapter& a)
{
    const auto bank = [&a](int n, const std::string& revision) {
        return "bank " + std::to_string(n) + " " + revision + ((a.flash_state & (n == 1 ? 1u : 2u)) ? " good" : " bad");
    };
    std::string text = bank(1, a.flash_rom1) + ", " + bank(2, a.flash_rom2) + ", starts from bank " +
                       std::to_string(a.flash_state >> 4);
    if (a.flash_expected != 0) {
        text += ", downloading " + a.flash_revision + " (" + std::to_string(a.flash_received) + " of " +
                std::to_string(a.flash_expected) + " bytes)";
    }
    return line("  Flash ROM: %s", text.c_str());
}

} // namespace

std::string clock_report(const clock_reading& clock)
{
    if (!clock.simulated) return "Clock: real time\n";
    return line("Clock: simulated, %llu.%03llu s", static_cast<unsigned long long>(clock.now_ms / 1000),
                static_cast<unsigned long long>(clock.now_ms % 1000));
}

std::string faults_text(const fault_plan& f)
{
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (f.silent != 0) add("silent");
    if (f.busy != 0) add("busy for " + std::to_string(f.busy) + " requests");
    if (f.status_count != 0) {
        char status[8];
        std::snprintf(status, sizeof status, "0x%04X", f.status);
        add("status " + std::string(status) + " for " + std::to_string(f.status_count) + " requests");
    }
    if (f.at_answer != FAULT_AT_NONE) {
        char status[8];
        std::snprintf(status, sizeof status, "0x%04X", f.at_value);
        const std::string what = f.at_answer == FAULT_AT_STATUS ? "status " + std::string(status)
                                 : f.at_answer == FAULT_AT_BUSY ? "busy for " + std::to_string(f.at_value) + " requests"
                                                                : std::string("silent");
        add(what + " at request " + std::to_string(f.at_request));
    }
    return text.empty() ? "none" : text;
}

std::string adapter_report(const adapter& a)
{
    std::string out = line("Adapter on port %u: Driver \"%s\", controller id %u, %s firmware %s, PCI %u:%u",
                           a.port, a.driver.c_str(), a.controller_id, a.model.c_str(), a.firmware.c_str(),
                           a.pci_bus, a.pci_device);
    out += line("  Requests answered: %llu", static_cast<unsigned long long>(a.requests));
    out += line("  Pending faults: %s", faults_text(a.faults).c_str());
    if (a.service_state != 0) {
        out += line("  Monitoring service: %s", a.service_state == 0x10 ? "started" : "stops");
    }
    out += flash_line(a);
    out += drive_rows(a);
    out += drive_scsi_notes(a);
    const std::string logicals = layout_rows(a, a.logicals, false);
    out += logicals.empty() ? "  No logical drives.\n" : logicals;
    out += layout_rows(a, a.candidates, true);
    return out;
}

} // namespace sim
