#include "partition_check.h"

#include <string>

#include "library_errors.h"
#include "output.h"
#include "zandllctl.h"

#include <plat/device.h>

namespace cli {

namespace {

// Attempts at reading a volume's SCSI address.
inline constexpr int address_attempts = 4;

// Internal-error value printed when a volume's device cannot be opened.
inline constexpr std::uint32_t volume_open_failure_code = 0xf4240;

inline constexpr int letter_count = 26;

// The adapter's SCSI port number; ends the run when it cannot be read.
outcome adapter_port(frame& context, int adapter, std::uint8_t& port)
{
    zan::ContInfo info;
    if (!getContInfo(adapter, &info)) return fatal_end(context, current_library_error_message(adapter), adapter);
    port = info.port_number;
    return outcome::go_on;
}

} // namespace

std::optional<volume_address> query_volume_address(char letter, bool& opened)
{
    const std::string path = std::string("\\\\.\\") + letter + ':';
    plat::device volume;
    opened = volume.open(path.c_str());
    if (!opened) return std::nullopt;

    for (int attempt = 0; attempt < address_attempts; ++attempt) {
        plat::scsi_address address{};
        std::uint32_t returned = 0;
        if (volume.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned))
            return volume_address{address.port_number, address.target_id};
    }
    return std::nullopt;
}

outcome ld_has_volume(frame& context, int adapter, int ld, bool& has_volume)
{
    has_volume = true;
    const std::uint32_t letters = plat::logical_drive_mask();
    for (int index = 0; index < letter_count; ++index) {
        if (!(letters & (1u << index))) continue;
        const char letter = static_cast<char>('A' + index);
        const std::string root = std::string(1, letter) + ":\\";
        if (plat::drive_type(root.c_str()) != plat::DRIVE_TYPE_FIXED) continue;

        bool opened = false;
        const std::optional<volume_address> address = query_volume_address(letter, opened);
        if (!opened) {
            say(internal_error_message(category_argument, volume_open_failure_code));
            return outcome::go_on;
        }
        if (!address) continue;
        std::uint8_t port = 0;
        if (adapter_port(context, adapter, port) == outcome::fatal) return outcome::fatal;
        if (address->port == port && address->target == ld) return outcome::go_on;
    }
    has_volume = false;
    return outcome::go_on;
}

} // namespace cli
