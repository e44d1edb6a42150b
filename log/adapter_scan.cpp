#include "adapter_scan.h"

#include "plat/error.h"
#include "plat/registry.h"
#include "report.h"
#include "scsi_ports.h"
#include "zandrivers.h"

namespace zanlog {

namespace {

constexpr char QVM25C_KEY[] = "SOFTWARE\\Kalviro\\QVM25C";
constexpr char QVM20C_KEY[] = "SOFTWARE\\Kalviro\\QVM20C";

// The driver kind the walk gives "Qvmraid" ports, before the keys decide.
constexpr std::uint8_t QVMRAID_TABLE_KIND = 1;

// The error of opening `path`, ERR_SUCCESS when the key exists.
std::uint32_t open_key(const char* path)
{
    plat::reg_key key;
    return key.open(path, plat::reg_access::read);
}

// The driver kind of a Qvmraid port; the error of the last key tried when
// neither key exists.
std::uint8_t resolve_qvmraid(std::uint32_t& error)
{
    const std::uint32_t newer = open_key(QVM25C_KEY);
    error = newer == plat::ERR_SUCCESS ? plat::ERR_SUCCESS : open_key(QVM20C_KEY);
    return qvmraid_kind({newer == plat::ERR_SUCCESS, error == plat::ERR_SUCCESS});
}

} // namespace

bool scan_adapters(adapter_table& table)
{
    table.count = 0;
    zan::port_walk_visitor visitor;
    visitor.accepted = [&table](const zan::scsi_port& port) {
        std::uint8_t kind = port.driver_kind;
        if (kind == QVMRAID_TABLE_KIND) {
            std::uint32_t error = plat::ERR_SUCCESS;
            kind = resolve_qvmraid(error);
            if (kind == QVMRAID_WITHOUT_KEYS) {
                report_error(error, shown::general);
                return true;
            }
        }
        adapter_port& entry = table.entries[static_cast<std::size_t>(table.count)];
        if (!entry.port.open(port.device_path)) {
            report_error(plat::last_error(), shown::general);
            return true;
        }
        entry.driver_kind = kind;
        return ++table.count < MAX_ADAPTERS;
    };
    // Registry steps that fail for one port pass it over, as the library does.
    visitor.failed = [](zan::port_walk_step, std::uint32_t) {};
    const zan::port_walk_result walk = zan::walk_scsi_ports(zan::DRIVER_KINDS, visitor);
    if (walk.end == zan::port_walk_end::no_scsi_key) return report_error(walk.os_error, shown::general);
    if (table.count == 0) return report_error(ERROR_NO_CONTROLLER, shown::as_such);
    return true;
}

} // namespace zanlog
