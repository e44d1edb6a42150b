#include "storage.h"

#include "model.h"
#include "store.h"

namespace sim {

namespace {

// The system volume's disk sits on the lowest SCSI port without a Zan
// adapter (the machine's own controller), so it never matches one.
std::uint32_t system_port(const std::string& root)
{
    std::uint32_t port = 0;
    while (port < 255 && adapter_exists(root, port)) ++port;
    return port;
}

} // namespace

bool locate_volume(const std::string& root, char letter, volume_location& out)
{
    if (letter == SYSTEM_VOLUME) {
        out = {system_port(root), 0};
        return true;
    }
    for (std::uint32_t port : list_ports(root)) {
        adapter a;
        if (!load_adapter(root, port, a).empty()) continue;
        for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
            if (a.logicals[n].defined && a.logicals[n].volumes.find(letter) != std::string::npos) {
                out = {port, static_cast<std::uint8_t>(n)};
                return true;
            }
        }
    }
    return false;
}

std::uint32_t volume_letters(const std::string& root)
{
    std::uint32_t mask = 1u << (SYSTEM_VOLUME - 'A');
    for (std::uint32_t port : list_ports(root)) {
        adapter a;
        if (!load_adapter(root, port, a).empty()) continue;
        for (const logical_drive& ld : a.logicals) {
            if (!ld.defined) continue;
            for (char letter : ld.volumes) mask |= 1u << (letter - 'A');
        }
    }
    return mask;
}

} // namespace sim
