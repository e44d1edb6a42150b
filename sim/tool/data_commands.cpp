// zansim's data commands: a block pattern written into a logical drive and
// checked later, so that a test or a person can prove its data survived
// failures and rebuilds. The pattern of each block follows from the seed and
// the block's address alone.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "change.h"
#include "command_line.h"
#include "data_path.h"

namespace {

constexpr std::uint64_t MAX_COUNT = 65536; // 32 MB in one command
constexpr char USAGE[] = "data write|verify PORT LOGICAL LBA COUNT SEED";

struct pattern_request {
    bool write = false;
    int port = 0;
    std::uint64_t logical = 0;
    std::uint64_t lba = 0;
    std::uint64_t count = 0;
    std::uint64_t seed = 0;
};

// The pattern of block `lba`: a xorshift sequence started from the seed and
// the address, so that no two blocks of a drive look alike.
void fill_block(std::uint64_t seed, std::uint64_t lba, std::uint8_t* out)
{
    std::uint64_t x = (seed + 1) * 0x9E3779B97F4A7C15ULL ^ (lba + 1) * 0xBF58476D1CE4E5B9ULL;
    for (std::uint32_t i = 0; i < sim::BLOCK_BYTES; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        for (std::uint32_t b = 0; b < 8; ++b) out[i + b] = static_cast<std::uint8_t>(x >> (8 * b));
    }
}

std::uint32_t checksum_of(const std::vector<std::uint8_t>& bytes)
{
    std::uint32_t hash = 0x811C9DC5U;
    for (const std::uint8_t c : bytes) hash = (hash ^ c) * 0x01000193U;
    return hash;
}

std::string refusal(const pattern_request& r, const sim::adapter& a, sim::data_status s, const std::string& io)
{
    const std::string ld = "logical drive " + std::to_string(r.logical);
    switch (s) {
    case sim::data_status::out_of_range:
        return "blocks " + std::to_string(r.lba) + "-" + std::to_string(r.lba + r.count - 1) + " lie past the end of " +
               ld + " (" + std::to_string(sim::logical_blocks(a, a.logicals[r.logical])) + " blocks)";
    case sim::data_status::no_access: return ld + " has failed: its blocks cannot be reached";
    case sim::data_status::io_error: return io;
    case sim::data_status::medium_error: return "a block of " + ld + " could be read from no member (medium error)";
    case sim::data_status::ok: break;
    }
    return {};
}

int run(const pattern_request& r)
{
    std::vector<std::uint8_t> expected(r.count * sim::BLOCK_BYTES);
    for (std::uint64_t k = 0; k < r.count; ++k) fill_block(r.seed, r.lba + k, expected.data() + k * sim::BLOCK_BYTES);
    std::uint64_t differing = 0;
    std::uint64_t first = 0;
    const std::string error = sim::change_adapter(r.port, [&](sim::adapter& a) {
        if (!a.logicals[r.logical].defined) return "logical drive " + std::to_string(r.logical) + " is not defined";
        // Saved first, so that the drives' blocks follow the background work.
        if (std::string e = sim::save_adapter(sim::root_dir(), a); !e.empty()) return e;
        sim::block_store blocks(sim::root_dir(), a.port);
        if (!blocks.recover()) return blocks.error();
        std::vector<std::uint8_t> found(expected.size());
        const sim::data_status s = r.write ? sim::write_logical(a, r.logical, blocks, r.lba, expected)
                                           : sim::read_logical(a, r.logical, blocks, r.lba, found);
        if (s != sim::data_status::ok) return refusal(r, a, s, blocks.error());
        if (r.write) return blocks.commit() ? std::string() : blocks.error();
        for (std::uint64_t k = r.count; k-- > 0;) {
            const std::size_t at = k * sim::BLOCK_BYTES;
            if (!std::equal(found.begin() + at, found.begin() + at + sim::BLOCK_BYTES, expected.begin() + at)) {
                ++differing;
                first = r.lba + k;
            }
        }
        return std::string();
    });
    if (!error.empty()) return fail(error);
    if (differing > 0) {
        return fail(std::to_string(differing) + " of " + std::to_string(r.count) +
                    " blocks differ from the pattern, the first at LBA " + std::to_string(first));
    }
    std::printf("%s %" PRIu64 " blocks at LBA %" PRIu64 " of logical drive %" PRIu64 " on port %d, checksum %08X\n",
                r.write ? "Wrote" : "Verified", r.count, r.lba, r.logical, r.port, checksum_of(expected));
    return 0;
}

} // namespace

int cmd_data(const args& a)
{
    pattern_request r;
    if (a.size() != 6 || (a[0] != "write" && a[0] != "verify") || !read_port(a[1], r.port) ||
        !read_number(a[2], sim::LOGICAL_SLOTS - 1, r.logical) || !read_number(a[3], UINT32_MAX, r.lba) ||
        !read_number(a[4], MAX_COUNT, r.count) || r.count == 0 || !read_number(a[5], UINT32_MAX, r.seed)) {
        return misuse(std::string(USAGE) + " (COUNT 1-65536)");
    }
    r.write = a[0] == "write";
    return run(r);
}
