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
};

// `out` and `in` hold whole blocks, from block `lba` of logical drive
// `number` on.
[[nodiscard]] data_status read_logical(const adapter& a, std::size_t number, block_store& blocks, std::uint64_t lba,
                                       std::span<std::uint8_t> out);
[[nodiscard]] data_status write_logical(const adapter& a, std::size_t number, block_store& blocks,
                                        std::uint64_t lba, std::span<const std::uint8_t> in);

// The data work the change from `before` to `after` calls for: the blocks of
// the progress a rebuild made, the inconsistencies a check or parity making
// that started finds (`after`'s count is raised to them; parity making
// repairs them at once). Every block is committed before it returns.
[[nodiscard]] std::string carry_out_data_work(const std::string& root, const adapter& before, adapter& after);

} // namespace sim

#endif
