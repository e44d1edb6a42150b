// Load for the simulator link: sends COUNT controller-information requests
// to the SCSI port device PATH, each on a device opened for it, as every
// sender does, and prints "answered A busy B failed F" (busy answers count
// as answered). Several copies at once load the server from several
// processes.
//
// Usage: linkload PATH COUNT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plat/device.h"
#include "zanioctl.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::printf("usage: linkload PATH COUNT\n");
        return 2;
    }
    const zan::control_code_layout& layout = *zan::find_control_code(zan::IOCTL_KRAID_GET_CONTROLLER_INFO);
    const auto size = static_cast<std::uint32_t>(zan::ENVELOPE_HEADER_LENGTH + layout.record_size);
    int answered = 0;
    int busy = 0;
    int failed = 0;
    for (long n = std::strtol(argv[2], nullptr, 10); n > 0; --n) {
        std::vector<std::uint8_t> envelope(size);
        zan::store_le32(envelope.data(), zan::ENVELOPE_HEADER_LENGTH);
        std::memcpy(envelope.data() + 4, zan::SIGNATURE_CONTROL, 8);
        zan::store_le32(envelope.data() + 16, layout.code);
        zan::store_le32(envelope.data() + 24, layout.record_size);
        plat::device port;
        std::uint32_t returned = 0;
        if (!port.open(argv[1]) ||
            !port.control(zan::IOCTL_SCSI_MINIPORT, envelope.data(), size, envelope.data(), size, &returned)) {
            ++failed;
            continue;
        }
        ++answered;
        const std::uint16_t status = zan::load_le16(envelope.data() + zan::ENVELOPE_HEADER_LENGTH + layout.status_offset);
        if (status == zan::IOC_STATUS_DEVICE_BUSY) ++busy;
    }
    std::printf("answered %d busy %d failed %d\n", answered, busy, failed);
    return failed == 0 ? 0 : 1;
}
