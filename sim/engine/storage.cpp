#include "storage.h"

#include "model.h"
#include "store.h"

namespace sim {

std::uint32_t system_port(const std::string& root)
{
    std::uint32_t port = 0;
    while (port < 255 && adapter_exists(root, port)) ++port;
    return port;
}

bool locate_volume(const std::string& root, char letter, volume_location& out)
{
    if (letter == SYSTEM_VOLUME) {
        out = {system_port(root), 0, true};
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
    std::uint32_t mask = 0;
    for (const volume_entry& v : list_volumes(root)) mask |= 1u << (v.letter - 'A');
    return mask;
}

std::vector<volume_entry> list_volumes(const std::string& root)
{
    std::vector<volume_entry> volumes{{SYSTEM_VOLUME, {system_port(root), 0, true}}};
    for (std::uint32_t port : list_ports(root)) {
        adapter a;
        if (!load_adapter(root, port, a).empty()) continue;
        for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
            if (!a.logicals[n].defined) continue;
            for (char letter : a.logicals[n].volumes) volumes.push_back({letter, {port, static_cast<std::uint8_t>(n)}});
        }
    }
    return volumes;
}

std::vector<volume_location> list_disks(const std::string& root)
{
    std::vector<volume_location> disks;
    for (std::uint32_t port : list_ports(root)) {
        adapter a;
        if (!load_adapter(root, port, a).empty()) continue;
        for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
            if (a.logicals[n].defined) disks.push_back({port, static_cast<std::uint8_t>(n)});
        }
    }
    disks.push_back({system_port(root), 0, true});
    return disks;
}

} // namespace sim
