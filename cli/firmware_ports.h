// The SCSI port devices the firmware download sends to. The tool finds them
// itself, the way the library finds its controllers, so that adapter N here
// is controller N of the library.
#ifndef CLI_FIRMWARE_PORTS_H
#define CLI_FIRMWARE_PORTS_H

#include <array>

#include <plat/device.h>

#include "selection.h"

namespace cli {

struct download_ports {
    std::array<plat::device, max_adapters> devices; // adapter N uses devices[N]
    int count = 0;
};

// Opens the port of every accepted driver, in registry order, that answers
// the controller-information request, up to four. False, with the Windows
// error ERR_BAD_DEVICE, when none does.
[[nodiscard]] bool open_download_ports(download_ports& ports);

} // namespace cli

#endif
