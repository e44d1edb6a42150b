// Costs of one request, measured in one run and printed as ratios: the
// library's getRaidStatus against the bare engine call (sim::device_control)
// with the adapter's event ring empty and full, and reading all 4096 entries
// of the ring through the device facility. Run by bench/run.sh; ZAN_ROOT
// names a scratch root that this program re-creates.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plat/device.h"
#include "sim/control.h"
#include "sim/device.h"
#include "zandllctl.h"
#include "zanioctl.h"

namespace {

using clock_type = std::chrono::steady_clock;

constexpr int ROUNDS = 2000;

std::vector<std::uint8_t> envelope(std::uint32_t code)
{
    const std::uint32_t length = zan::find_control_code(code)->record_size;
    std::vector<std::uint8_t> b(zan::ENVELOPE_HEADER_LENGTH + length, 0);
    zan::store_le32(b.data(), zan::ENVELOPE_HEADER_LENGTH);
    std::memcpy(b.data() + 4, zan::SIGNATURE_CONTROL, 8);
    zan::store_le32(b.data() + 12, 10);
    zan::store_le32(b.data() + 16, code);
    zan::store_le32(b.data() + 24, length);
    return b;
}

template <class F>
double seconds_of(F run)
{
    const auto start = clock_type::now();
    run();
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// The bare engine call and the library call, paired round by round.
void compare_requests(const char* label)
{
    sim::device_ref port;
    if (sim::open_device("\\\\.\\Scsi2:", port) != 0 || !initContData(0)) {
        std::fprintf(stderr, "bench: no adapter on port 2\n");
        return;
    }
    std::vector<std::uint8_t> b = envelope(zan::IOCTL_KRAID_GET_RAID_STATUS);
    zan::RaidStatus status{};
    double bare = 0;
    double library = 0;
    for (int i = 0; i < ROUNDS; ++i) {
        bare += seconds_of([&] {
            std::uint32_t returned = 0;
            (void)sim::device_control(port, zan::IOCTL_SCSI_MINIPORT, b.data(), static_cast<std::uint32_t>(b.size()),
                                      b.data(), static_cast<std::uint32_t>(b.size()), &returned);
        });
        library += seconds_of([&] { (void)getRaidStatus(0, &status); });
    }
    finContData();
    std::printf("%-34s engine %7.1f us  library %7.1f us  ratio %.2f\n", label, bare / ROUNDS * 1e6,
                library / ROUNDS * 1e6, library / bare);
}

// Every entry of the ring, one READ BUFFER of 512 bytes each, as the
// monitoring service collects them.
void read_whole_ring()
{
    plat::device device;
    std::vector<std::uint8_t> b = envelope(zan::IOCTL_KRAID_SCSI_READ_BUFFER);
    std::uint8_t* cdb = b.data() + zan::ENVELOPE_HEADER_LENGTH + zan::SCSI_REQUEST_CDB;
    const double took = seconds_of([&] {
        for (std::uint32_t slot = 0; slot < 4096; ++slot) {
            const std::uint32_t offset = slot * 512;
            const std::uint8_t read[10] = {0x3C, 0x01, 0xA6, static_cast<std::uint8_t>(offset >> 16),
                                           static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                                           0x00, 0x02, 0x00, 0x00};
            std::memcpy(cdb, read, sizeof read);
            std::uint32_t returned = 0;
            if (!device.open("\\\\.\\Scsi2:") ||
                !device.control(zan::IOCTL_SCSI_MINIPORT, b.data(), static_cast<std::uint32_t>(b.size()), b.data(),
                                static_cast<std::uint32_t>(b.size()), &returned)) {
                std::fprintf(stderr, "bench: READ BUFFER failed at entry %u\n", slot);
                return;
            }
            device.close();
        }
    });
    std::printf("%-34s %.3f s\n", "all 4096 event entries, full ring", took);
}

std::string scenario_with_events(int count)
{
    std::string text = sim::demo_scenario();
    // The entries belong to the adapter on port 2, the demo's first.
    const std::size_t port3 = text.find("[adapter 3]");
    std::string events;
    for (int n = 0; n < count; ++n) {
        char entry[96];
        std::snprintf(entry, sizeof entry, "[event %d]\ndata = %02X%02X000000000000000000000000000000000002000200\n", n,
                      (n + 1) & 0xFF, ((n + 1) >> 8) & 0xFF);
        events += entry;
    }
    // Every entry unread, so that the ring is full.
    text = text.substr(0, port3) + events + text.substr(port3);
    const std::size_t port2 = text.find("[adapter 2]\n") + std::strlen("[adapter 2]\n");
    return text.substr(0, port2) + "event_unread = " + std::to_string(count) + "\n" + text.substr(port2);
}

} // namespace

int main()
{
    for (const int events : {0, 4096}) {
        if (const std::string e = sim::create_root(scenario_with_events(events)); !e.empty()) {
            std::fprintf(stderr, "bench: %s\n", e.c_str());
            return 1;
        }
        compare_requests(events == 0 ? "one request, empty event ring" : "one request, full event ring");
    }
    read_whole_ring();
    return 0;
}
