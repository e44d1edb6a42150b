// The blocks the physical drives of one adapter keep, in the root beside its
// state: adapters/portN.driveD.blocks, a sparse file per drive (block LBA at
// byte LBA x 512), so only written blocks take space and unwritten ones read
// as zeros. The writes of one request are staged and committed together
// through a journal (adapters/portN.blocks.journal, replaced in one step):
// a process killed while applying it leaves the journal, and the next user
// of the adapter applies it again before it reads anything. Use with the
// adapter's lock held.
#ifndef SIM_ENGINE_DATA_BLOCKS_H
#define SIM_ENGINE_DATA_BLOCKS_H

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "data_layout.h"
#include "posix_io.h"

namespace sim {

using block = std::array<std::uint8_t, BLOCK_BYTES>;

class block_store {
public:
    block_store(std::string root, std::uint32_t port);

    // Applies a journal a killed writer left. False on failure (see error()).
    [[nodiscard]] bool recover();

    // The block as the drive holds it with this request's staged writes.
    [[nodiscard]] bool read(std::uint32_t hdd, std::uint64_t lba, block& out);
    void write(std::uint32_t hdd, std::uint64_t lba, const block& in);

    // Empties drive `hdd`: a new drive in its slot holds nothing written.
    [[nodiscard]] bool blank(std::uint32_t hdd);

    // Makes the staged writes durable as one step; nothing staged writes
    // nothing.
    [[nodiscard]] bool commit();

    // The first run of written blocks of drive `hdd` that ends after `from`:
    // [start, end), start at least `from`. False when the drive holds no
    // written block from `from` on.
    [[nodiscard]] bool next_written(std::uint32_t hdd, std::uint64_t from, std::uint64_t& start,
                                    std::uint64_t& end);

    const std::string& error() const { return error_; }

private:
    std::string drive_path(std::uint32_t hdd) const;
    std::string journal_path() const;
    // The drive's file opened for reading; invalid when it does not exist
    // (then in absent_, so that it is not looked for block after block).
    int reader(std::uint32_t hdd);
    bool apply(const std::string& journal);
    bool failed(const std::string& what, const std::string& path);

    std::string root_;
    std::uint32_t port_;
    std::map<std::pair<std::uint32_t, std::uint64_t>, block> staged_;
    std::map<std::uint32_t, plat::hosted::unique_fd> readers_;
    std::set<std::uint32_t> absent_;
    std::string error_;
};

} // namespace sim

#endif
