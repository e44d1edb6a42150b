// Cost of zanpth's stripe read ("r"): one 128-block READ(10) through the
// pass-through library (ZanPasReadExtend on \\.\PHYSICALDRIVE0, the disk of
// a RAID 5 logical drive) against the engine's own work for the same blocks
// (read_logical on the loaded adapter), intact and with a member failed.
// The library's call may cost at most 1.5 times the engine's work. Run by
// bench/run.sh; ZAN_ROOT names a scratch root that this program re-creates.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../sim/engine/data_path.h"
#include "../sim/engine/store.h"
#include "sim/control.h"
#include "sim/root.h"
#include "zandllpth.h"

namespace {

constexpr std::uint32_t PORT = 2;
constexpr std::uint8_t LOGICAL = 0;
constexpr std::uint16_t BLOCKS = 128;
constexpr std::uint32_t BYTES = BLOCKS * sim::BLOCK_BYTES;

// RAID 5 on three drives, the first logical drive of the only adapter, so
// that it is Windows disk 0; a stripe of 256 blocks.
constexpr char MACHINE[] = "[adapter 2]\n[drive 0]\n[drive 1]\n[drive 2]\n"
                           "[logical 0]\nlevel = 5\nmembers = 0 1 2\nstripe = 128k\n";

// READ(10) or WRITE(10) of 128 blocks at `lba` of disk 0.
int transfer(std::uint8_t op, std::uint8_t lba_high, std::vector<std::uint8_t>& data)
{
    zan::ZanPasRequest request{};
    request.target[0] = zan::ZANPAS_TARGET_DISK;
    request.disk_number = 0;
    request.direction = op == 0x28 ? zan::ZANPAS_DATA_IN : zan::ZANPAS_DATA_OUT;
    const std::uint8_t cdb[10] = {op, 0, 0, 0, lba_high, 0, 0, 0, BLOCKS, 0};
    std::copy(std::begin(cdb), std::end(cdb), request.cdb);
    request.cdb_length[0] = sizeof cdb;
    char out[260] = {};
    std::uint32_t out_size = sizeof out;
    std::uint32_t length = BYTES;
    return op == 0x28 ? ZanPasReadExtend(&request, data.data(), &length, out, &out_size)
                      : ZanPasWriteExtend(&request, data.data(), length, out, &out_size);
}

void engine_read(benchmark::State& state)
{
    const std::string root = sim::root_dir();
    sim::adapter a;
    if (const std::string e = sim::load_adapter(root, PORT, a); !e.empty()) return state.SkipWithError(e.c_str());
    std::vector<std::uint8_t> data(BYTES);
    for (auto _ : state) {
        sim::block_store blocks(root, PORT);
        if (sim::read_logical(a, LOGICAL, blocks, 0, data) != sim::data_status::ok) {
            return state.SkipWithError("the engine refused the read");
        }
        benchmark::DoNotOptimize(data.data());
    }
}

void library_read(benchmark::State& state)
{
    std::vector<std::uint8_t> data(BYTES);
    for (auto _ : state) {
        if (transfer(0x28, 0, data) != zan::ZANPAS_OK) return state.SkipWithError("ZanPasReadExtend failed");
        benchmark::DoNotOptimize(data.data());
    }
}

// Member drive 0, which holds the stripe, failed: its blocks are made from
// the other two (drive 1's data and drive 2's parity). The clock stands still, so that no rebuild starts
// between the reads (there is no spare either).
void degrade(const benchmark::State&)
{
    if (!sim::set_clock(1'000'000'000'000).empty() || !sim::fail_drive(PORT, 0).empty()) {
        std::fprintf(stderr, "bench: cannot fail drive 0\n");
    }
}

// The stripe read (blocks 0-127, on drive 0) and blocks 256-383 (on drive
// 1, the same member blocks), so that every member holds written blocks.
void restore(const benchmark::State&)
{
    std::vector<std::uint8_t> data(BYTES, 0x5A);
    if (!sim::create_root(MACHINE).empty() || transfer(0x2A, 0, data) != zan::ZANPAS_OK ||
        transfer(0x2A, 1, data) != zan::ZANPAS_OK) {
        std::fprintf(stderr, "bench: cannot write the stripe\n");
    }
}

void degraded_setup(const benchmark::State& state)
{
    restore(state);
    degrade(state);
}

BENCHMARK(engine_read)->Name("stripe read, RAID 5 intact/engine")->Setup(restore)->Unit(benchmark::kMicrosecond);
BENCHMARK(library_read)->Name("stripe read, RAID 5 intact/library")->Setup(restore)->Unit(benchmark::kMicrosecond);
BENCHMARK(engine_read)
    ->Name("stripe read, RAID 5 degraded/engine")
    ->Setup(degraded_setup)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(library_read)
    ->Name("stripe read, RAID 5 degraded/library")
    ->Setup(degraded_setup)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
