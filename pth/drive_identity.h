// A drive's identity from its INQUIRY data.
#ifndef PTH_DRIVE_IDENTITY_H
#define PTH_DRIVE_IDENTITY_H

#include <optional>
#include <span>
#include <string>

#include "pass_call.h"

namespace pth {

struct drive_identity {
    std::string vendor;   // bytes 8 to 15
    std::string product;  // bytes 16 to 31
    std::string revision; // bytes 32 to 35
};

drive_identity identity_from_inquiry(std::span<const std::uint8_t> data);

// INQUIRY of the drive. A failure is reported when `loud`, else passed over.
std::optional<drive_identity> read_identity(const pass_caller& caller, const pass_target& target, bool loud);

// Drives whose product identification begins with "VMA" or "VMB" take a
// firmware download.
bool takes_firmware(const drive_identity& identity);

} // namespace pth

#endif
