// The data path of logical drives: reads and writes of a logical drive's
// blocks through its members (parity kept up to date, a degraded drive's
// blocks rebuilt from the survivors on the fly), and the data side of the
// background work: a rebuild fills its drives' blocks as its progress moves
// on, a consistency check counts the rows whose mirror or parity does not
// match the data, and parity making rewrites them.
#ifndef SIM_ENGINE_DATA_PATH_H
#define SIM_ENGINE_DATA_PATH_H

#include <cstdint>
#include <span>
#include <string>

#include "data_blocks.h"
#include "model.h"

namespace sim {

enum class data_status {
    ok,
    out_of_range, // the blocks reach past the end of the logical drive
    no_access,    // the logical drive failed: its data cannot be served
    io_error,     // a file of the root failed (block_store::error())
    medium_error, // a block no member could give: a medium error with no redundancy left
};

// `out` and `in` hold whole blocks, from block `lba` of logical drive
// `number` on. A member block with a medium error is made from the others;
// when that cannot be done the read stops with medium_error and
// `*medium_lba` (when given) names the logical block. A write gives the
// member blocks it writes fresh ECC, clearing their medium errors.
[[nodiscard]] data_status read_logical(const adapter& a, std::size_t number, block_store& blocks, std::uint64_t lba,
                                       std::span<std::uint8_t> out, std::uint64_t* medium_lba = nullptr);
[[nodiscard]] data_status write_logical(adapter& a, std::size_t number, block_store& blocks, std::uint64_t lba,
                                        std::span<const std::uint8_t> in);

// The data work the change from `before` to `after` calls for: a drive put
// into a slot starts blank; the blocks of the progress a rebuild made (a
// block it can read from no survivor becomes a bad spot and a medium error
// of the drive that should have received it); the inconsistencies a check
// or parity making that started finds (`after`'s count is raised to them;
// parity making repairs them at once). Every block is committed before it
// returns.
[[nodiscard]] std::string carry_out_data_work(const std::string& root, const adapter& before, adapter& after);

} // namespace sim

#endif
