// Creating a simulated machine from a scenario: the adapters' state files
// and the registry's SCSI port keys.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model_text.h"
#include "plat/error.h"
#include "plat/registry.h"
#include "posix_io.h"
#include "sim/control.h"
#include "sim/root.h"
#include "store.h"
#include "zandrivers.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

// Present in every root this tool made; a folder with other content is never
// emptied, so a mistyped ZAN_ROOT cannot cost anyone their files.
constexpr const char* ROOT_MARKER = ".zansim-root";

std::string registry_error(const std::string& what, std::uint32_t code)
{
    return "registry: cannot " + what + " (error " + std::to_string(code) + ")";
}

// Empties the root, or makes it; refuses a folder that holds foreign files.
std::string prepare_root(const fs::path& root)
{
    std::error_code ec;
    if (fs::exists(root, ec)) {
        if (!fs::is_directory(root, ec)) return root.string() + " is not a folder";
        const bool empty = fs::is_empty(root, ec);
        if (ec) return "cannot read " + root.string() + ": " + ec.message();
        if (!empty && !fs::exists(root / ROOT_MARKER, ec)) {
            return root.string() + " is not empty and is not a simulated machine's root; not replacing it";
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(root, ec)) {
            fs::remove_all(entry.path(), ec);
            if (ec) return "cannot remove " + entry.path().string() + ": " + ec.message();
        }
        if (ec) return "cannot read " + root.string() + ": " + ec.message();
    }
    fs::create_directories(root / "adapters", ec);
    if (ec) return "cannot create " + (root / "adapters").string() + ": " + ec.message();
    return write_file_safely((root / ROOT_MARKER).string(), "A simulated machine made by zansim.\n",
                             plat::hosted::durability::machine_crash);
}

// The scenario's SCSI ports replace every port key the registry had.
std::string write_ports(const std::vector<registry_port>& ports)
{
    plat::reg_key scsi;
    if (const std::uint32_t rc = scsi.create(zan::SCSI_KEY_NAME); rc != plat::ERR_SUCCESS) {
        return registry_error("create the SCSI key", rc);
    }
    for (;;) {
        char name[256];
        const std::uint32_t rc = scsi.enum_subkey(0, name, sizeof name);
        if (rc == plat::ERR_NO_MORE_ITEMS) break;
        if (rc != plat::ERR_SUCCESS) return registry_error("list the SCSI ports", rc);
        if (const std::uint32_t del = scsi.delete_tree(name); del != plat::ERR_SUCCESS) {
            return registry_error(std::string("remove ") + name, del);
        }
    }
    for (const registry_port& p : ports) {
        const std::string key = zan::port_key_path(zan::port_subkey_name(p.port));
        plat::reg_key port;
        if (const std::uint32_t rc = port.create(key); rc != plat::ERR_SUCCESS) {
            return registry_error("create " + key, rc);
        }
        const std::uint32_t rc = port.set_value(zan::DRIVER_VALUE_NAME, plat::REG_TYPE_SZ, p.driver.c_str(),
                                                static_cast<std::uint32_t>(p.driver.size() + 1));
        if (rc != plat::ERR_SUCCESS) return registry_error("set the Driver of " + key, rc);
        plat::reg_key bus;
        if (const std::uint32_t b = bus.create(key + "\\Scsi Bus 0"); b != plat::ERR_SUCCESS) {
            return registry_error("create the bus key of " + key, b);
        }
    }
    return {};
}

// A drive letter names one volume on the whole machine.
std::string check_volume_letters(const std::vector<adapter>& adapters)
{
    std::string seen;
    for (const adapter& a : adapters) {
        for (const logical_drive& ld : a.logicals) {
            for (char letter : ld.defined ? ld.volumes : std::string()) {
                if (seen.find(letter) != std::string::npos) {
                    return "volume " + std::string(1, letter) + ": is on two adapters";
                }
                seen += letter;
            }
        }
    }
    return {};
}

} // namespace

std::string create_root(const std::string& scenario_text)
{
    const std::string root = root_dir();
    scenario s;
    if (std::string e = parse_scenario(scenario_text, s); !e.empty()) return e;
    std::vector<registry_port> ports = s.ports;
    for (const adapter& a : s.adapters) ports.push_back({a.port, a.driver});
    for (const registry_port& p : ports) {
        if (p.driver.empty()) return "port " + std::to_string(p.port) + " has no driver";
    }
    std::sort(ports.begin(), ports.end(), [](const registry_port& x, const registry_port& y) { return x.port < y.port; });
    if (std::string e = check_volume_letters(s.adapters); !e.empty()) return e;

    if (std::string e = prepare_root(root); !e.empty()) return e;
    for (adapter& a : s.adapters) {
        if (std::string e = save_adapter(root, a); !e.empty()) return e;
    }
    if (std::string e = write_ports(ports); !e.empty()) return e;
    // A new machine is worth keeping across a machine crash.
    return sync_root(root);
}

} // namespace sim
