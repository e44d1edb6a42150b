// Discovery of the adapters through the SCSI ports of the registry.
#ifndef ZAN_DISCOVERY_H
#define ZAN_DISCOVERY_H

namespace zan {

// Fills the emptied controller table from slot 0. False (with the error
// stored) when the SCSI port key cannot be opened, or when an accepted
// port's adapter stayed busy: then every slot is left empty. Finding nothing
// is success; an adapter that fails otherwise is passed over.
[[nodiscard]] bool discover_controllers();

} // namespace zan

#endif
