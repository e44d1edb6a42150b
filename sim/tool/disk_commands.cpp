// zansim's commands for the storage stack and the desktop: the disks as
// Windows numbers them, how a logical drive's disk is kept, Raid Turbine
// logical drives, and the message boxes shown on the machine.
#include <cstdio>
#include <cstring>

#include "change.h"
#include "command_line.h"
#include "desktop_store.h"
#include "disk.h"
#include "fields.h"
#include "sim/root.h"
#include "storage.h"
#include "store.h"

namespace {

// "PORT LOGICAL" of a defined logical drive, changed by `change`.
int change_logical(const args& a, const char* usage, void (*change)(sim::logical_drive&, std::uint32_t),
                   std::uint32_t value)
{
    int port = 0;
    std::uint64_t logical = 0;
    if (!read_port(a[0], port) || !read_number(a[1], sim::LOGICAL_SLOTS - 1, logical)) return misuse(usage);
    const std::string error = sim::change_adapter(port, [logical, change, value](sim::adapter& adapter) {
        sim::logical_drive& ld = adapter.logicals[logical];
        if (!ld.defined) return "logical drive " + std::to_string(logical) + " is not defined";
        change(ld, value);
        return std::string();
    });
    return error.empty() ? 0 : fail(error);
}

std::string trimmed(const std::string& text)
{
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string volume_text(const std::string& letters)
{
    if (letters.empty()) return "no volumes";
    std::string text = "volumes";
    for (char letter : letters) text += std::string(" ") + letter + ":";
    return text;
}

} // namespace

int cmd_disks(const args&)
{
    const std::string root = sim::root_dir();
    const std::vector<sim::volume_location> disks = sim::list_disks(root);
    for (std::size_t n = 0; n < disks.size(); ++n) {
        const sim::volume_location& where = disks[n];
        sim::disk_identity id = sim::system_disk_identity();
        std::string place = "system disk";
        std::string kind = "basic";
        std::string letters(1, sim::SYSTEM_VOLUME);
        if (!where.system) {
            sim::adapter a;
            if (std::string e = sim::load_adapter(root, where.port, a); !e.empty()) return fail(e);
            const sim::logical_drive& ld = a.logicals[where.target];
            id = sim::logical_disk_identity(a, where.target);
            place = "logical drive " + std::to_string(where.target);
            kind = ld.disk_style == sim::DISK_DYNAMIC ? "dynamic" : "basic";
            letters = ld.volumes;
        }
        std::printf("PHYSICALDRIVE%zu: port %u, %s, \"%s %s\", %s, %s\n", n, where.port, place.c_str(),
                    trimmed(id.vendor).c_str(), trimmed(id.product).c_str(), kind.c_str(),
                    volume_text(letters).c_str());
    }
    return 0;
}

int cmd_disk(const args& a)
{
    constexpr char USAGE[] = "disk PORT LOGICAL basic|dynamic";
    if (a[2] != "basic" && a[2] != "dynamic") return misuse(USAGE);
    return change_logical(
        a, USAGE, [](sim::logical_drive& ld, std::uint32_t style) { ld.disk_style = style; },
        a[2] == "dynamic" ? sim::DISK_DYNAMIC : sim::DISK_BASIC);
}

int cmd_turbine(const args& a)
{
    constexpr char USAGE[] = "turbine PORT LOGICAL 0x5A|0xA5|none";
    std::uint64_t level = 0;
    if (a[2] != "none" && (!sim::parse_number(a[2], 0xFF, level) || (level != 0x5A && level != 0xA5))) {
        return misuse(USAGE);
    }
    return change_logical(
        a, USAGE, [](sim::logical_drive& ld, std::uint32_t byte) { ld.turbine = byte; },
        static_cast<std::uint32_t>(level));
}

int cmd_desktop(const args& a)
{
    const std::string root = sim::root_dir();
    if (a.size() == 1 && a[0] == "clear") {
        if (const int error = plat::hosted::clear_boxes(root); error != 0) {
            return fail("cannot clear " + plat::hosted::desktop_path(root) + ": " + std::strerror(error));
        }
        return 0;
    }
    if (!a.empty()) return misuse("desktop | desktop clear");
    std::vector<plat::hosted::desktop_box> boxes;
    if (const int error = plat::hosted::read_boxes(root, boxes); error != 0) {
        return fail("cannot read " + plat::hosted::desktop_path(root) + ": " + std::strerror(error));
    }
    for (const plat::hosted::desktop_box& box : boxes) {
        std::string text = box.text;
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
        std::printf("%u \"%s\" 0x%08X: %s\n", box.number, box.caption.c_str(), box.style, text.c_str());
    }
    return 0;
}
