// Discovery of the adapters through the SCSI ports of the registry.
#ifndef ZAN_DISCOVERY_H
#define ZAN_DISCOVERY_H

namespace zan {

// Refills the controller table from slot 0. False (with the error stored)
// only when the SCSI port key cannot be opened; finding nothing is success.
[[nodiscard]] bool discover_controllers();

} // namespace zan

#endif
