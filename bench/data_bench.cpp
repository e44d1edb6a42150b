// Cost of a 128-block stripe read of a RAID 5 logical drive (the demo
// machine's port 2, logical drive 1, stripe 256 blocks): the engine's own
// work (read_logical on the loaded adapter) against the whole request a
// plain READ(10) makes through the device facility (lock, state, clock,
// save), intact and with a member failed (its blocks made from the others),
// paired round by round. Run by
// bench/run.sh; ZAN_ROOT names a scratch root that this program re-creates.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../sim/engine/data_path.h"
#include "../sim/engine/store.h"
#include "plat/device.h"
#include "sim/control.h"
#include "sim/device.h"
#include "sim/root.h"

namespace {

using clock_type = std::chrono::steady_clock;

constexpr int ROUNDS = 500;
constexpr std::uint32_t PORT = 2;
constexpr std::uint8_t LOGICAL = 1;
constexpr std::uint16_t BLOCKS = 128;

template <class F>
double seconds_of(F run)
{
    const auto start = clock_type::now();
    run();
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

bool transfer(const sim::device_ref& port, std::uint8_t op, std::vector<std::uint8_t>& data)
{
    const std::uint8_t cdb[10] = {op, 0, 0, 0, 0, 0, 0, 0, BLOCKS, 0};
    std::uint8_t sense[18] = {};
    plat::scsi_request request;
    request.cdb = cdb;
    request.direction = op == 0x28 ? plat::scsi_direction::in : plat::scsi_direction::out;
    request.data = data;
    request.sense = sense;
    request.target_id = LOGICAL;
    plat::scsi_result result;
    return sim::device_pass_through(port, request, result) == 0 && result.status == 0;
}

void compare(const char* label, const sim::device_ref& port)
{
    const std::string root = sim::root_dir();
    sim::adapter a;
    if (!sim::load_adapter(root, PORT, a).empty()) return;
    std::vector<std::uint8_t> data(BLOCKS * sim::BLOCK_BYTES);
    double engine = 0;
    double request = 0;
    for (int i = 0; i < ROUNDS; ++i) {
        engine += seconds_of([&] {
            sim::block_store blocks(root, PORT);
            (void)sim::read_logical(a, LOGICAL, blocks, 0, data);
        });
        request += seconds_of([&] { (void)transfer(port, 0x28, data); });
    }
    std::printf("%-34s engine %7.1f us   request %7.1f us   ratio %.2f\n", label, engine / ROUNDS * 1e6,
                request / ROUNDS * 1e6, request / engine);
}

} // namespace

int main()
{
    if (const std::string e = sim::create_root(sim::demo_scenario()); !e.empty()) {
        std::fprintf(stderr, "bench: %s\n", e.c_str());
        return 1;
    }
    sim::device_ref port;
    std::vector<std::uint8_t> data(BLOCKS * sim::BLOCK_BYTES, 0x5A);
    if (sim::open_device("\\\\.\\Scsi2:", port) != 0 || !transfer(port, 0x2A, data)) {
        std::fprintf(stderr, "bench: cannot write the stripe\n");
        return 1;
    }
    compare("128-block read, RAID 5 intact", port);
    // The clock stands still, so that the rebuild onto the spare does not
    // run between the reads; the rebuilding drive is read around.
    if (!sim::set_clock(1'000'000'000'000).empty() || !sim::fail_drive(PORT, 2, 0x20).empty()) return 1;
    compare("128-block read, RAID 5 degraded", port);
    return 0;
}
