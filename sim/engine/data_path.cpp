#include "data_path.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "data_layout.h"
#include "event_log.h"
#include "raid.h"
#include "tasks.h"

namespace sim {

namespace {

void xor_into(block& into, const block& from)
{
    for (std::size_t i = 0; i < into.size(); ++i) into[i] ^= from[i];
}

// The members of one logical drive as the data path reaches them: by
// position, which can be read (present, not failed, not waiting for its
// rebuilt data) and which can take writes. Given the adapter to change,
// writes clear the medium errors of the blocks they write.
class array_access {
public:
    array_access(const adapter& a, const logical_drive& ld, block_store& blocks, adapter* changed = nullptr)
        : a_(a), changed_(changed), blocks_(blocks), g_(geometry_of(ld))
    {
        for (const member& m : ld.members) {
            if (!carries_data(m)) continue;
            hdds_.push_back(m.hdd);
            writable_.push_back(!drive_failed(a, m.hdd));
            readable_.push_back(writable_.back() && a.drives[m.hdd].state != DRIVE_REBUILDING);
        }
    }

    const raid_geometry& geometry() const { return g_; }
    std::uint32_t positions() const { return static_cast<std::uint32_t>(hdds_.size()); }
    std::uint32_t hdd(std::uint32_t position) const { return hdds_[position]; }

    // What the drive at `position` holds at member block `m`, as stored.
    data_status raw(std::uint32_t position, std::uint64_t m, block& out)
    {
        if (!readable_[position]) return data_status::no_access;
        if (medium_error_at(a_.drives[hdds_[position]], m)) return data_status::medium_error;
        return blocks_.read(hdds_[position], m, out) ? data_status::ok : data_status::io_error;
    }

    // What `position` should hold at `m`: read, or made from its mirror or
    // from the other members of its parity row when its drive or that block
    // cannot be read.
    data_status value(std::uint32_t position, std::uint64_t m, block& out)
    {
        data_status own = data_status::no_access;
        if (readable_[position]) {
            own = raw(position, m, out);
            if (own != data_status::medium_error) return own;
        }
        const data_status made = from_others(position, m, out);
        // A lost block stays a medium error even where a partner has failed.
        return made == data_status::no_access && own == data_status::medium_error ? own : made;
    }

    // Stages a write; a failed drive takes none.
    void put(std::uint32_t position, std::uint64_t m, const block& in)
    {
        if (!writable_[position]) return;
        blocks_.write(hdds_[position], m, in);
        if (changed_ != nullptr) std::erase(changed_->drives[hdds_[position]].medium_error_lbas, m);
    }

    // The member blocks below `limit` that any member holds written, as
    // sorted runs [start, end) that do not overlap.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> written_runs(std::uint64_t from, std::uint64_t limit)
    {
        std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;
        for (const std::uint32_t hdd : hdds_) {
            std::uint64_t start = 0;
            std::uint64_t end = 0;
            for (std::uint64_t at = from; at < limit && blocks_.next_written(hdd, at, start, end); at = end) {
                if (start >= limit) break;
                runs.emplace_back(start, std::min(end, limit));
            }
        }
        std::sort(runs.begin(), runs.end());
        std::vector<std::pair<std::uint64_t, std::uint64_t>> merged;
        for (const auto& run : runs) {
            if (!merged.empty() && run.first <= merged.back().second) {
                merged.back().second = std::max(merged.back().second, run.second);
            } else {
                merged.push_back(run);
            }
        }
        return merged;
    }

private:
    static bool medium_error_at(const physical_drive& d, std::uint64_t m)
    {
        return std::find(d.medium_error_lbas.begin(), d.medium_error_lbas.end(), m) != d.medium_error_lbas.end();
    }

    data_status from_others(std::uint32_t position, std::uint64_t m, block& out)
    {
        if (g_.kind == layout_kind::mirror) return raw(mirror_partner(position), m, out);
        if (g_.kind != layout_kind::parity) return data_status::no_access;
        out.fill(0);
        block other;
        for (std::uint32_t p = 0; p < positions(); ++p) {
            if (p == position) continue;
            if (const data_status s = raw(p, m, other); s != data_status::ok) return s;
            xor_into(out, other);
        }
        return data_status::ok;
    }

    const adapter& a_;
    adapter* changed_;
    block_store& blocks_;
    raid_geometry g_;
    std::vector<std::uint32_t> hdds_;
    std::vector<bool> readable_;
    std::vector<bool> writable_;
};

data_status check_range(const adapter& a, const logical_drive& ld, std::uint64_t lba, std::size_t bytes)
{
    const std::uint64_t count = bytes / BLOCK_BYTES;
    const std::uint64_t size = logical_blocks(a, ld);
    if (lba > size || count > size - lba) return data_status::out_of_range;
    return array_state(a, ld) == LD_ALARM ? data_status::no_access : data_status::ok;
}

// The parity of `p`'s row once `in` replaces its data: the old parity with
// the old data taken out and the new put in or, where one of them is lost to
// a medium error, made afresh from the row's other data.
data_status new_parity(array_access& access, const block_place& p, const block& in, block& parity)
{
    block old_data;
    data_status s = access.value(p.data, p.member_lba, old_data);
    if (s == data_status::ok) s = access.value(p.parity, p.member_lba, parity);
    if (s == data_status::ok) {
        xor_into(parity, old_data);
        xor_into(parity, in);
        return s;
    }
    if (s != data_status::medium_error) return s;
    parity = in;
    block other;
    for (std::uint32_t position = 0; position < access.positions(); ++position) {
        if (position == p.data || position == p.parity) continue;
        if (const data_status e = access.value(position, p.member_lba, other); e != data_status::ok) return e;
        xor_into(parity, other);
    }
    return data_status::ok;
}

data_status write_block(array_access& access, std::uint64_t lba, const block& in)
{
    const block_place p = place_block(access.geometry(), lba);
    if (access.geometry().kind == layout_kind::parity) {
        block parity;
        if (const data_status s = new_parity(access, p, in, parity); s != data_status::ok) return s;
        access.put(p.parity, p.member_lba, parity);
    }
    access.put(p.data, p.member_lba, in);
    if (p.copy != NO_POSITION) access.put(p.copy, p.member_lba, in);
    return data_status::ok;
}

// A member block a rebuild could not make: the drive that should have
// received it and the block.
struct lost_block {
    std::uint32_t hdd;
    std::uint64_t member_lba;
};

// The rebuild's positions (`targets`) receive what the others say they hold
// over member blocks [from, to); blocks no survivor can give are `lost`.
data_status rebuild_range(array_access& access, const std::vector<std::uint32_t>& targets, std::uint64_t from,
                          std::uint64_t to, std::vector<lost_block>& lost)
{
    block b;
    for (const auto& [start, end] : access.written_runs(from, to)) {
        for (std::uint64_t m = start; m < end; ++m) {
            for (const std::uint32_t t : targets) {
                const data_status s = access.value(t, m, b);
                if (s == data_status::io_error) return s;
                if (s == data_status::ok) access.put(t, m, b);
                if (s == data_status::medium_error) lost.push_back({access.hdd(t), m});
            }
        }
    }
    return data_status::ok;
}

// Rows (a member block of a RAID 5, a pair's block of a mirror) whose
// redundancy does not match the data; with `repair` they are rewritten from
// the data. A row holding a medium error cannot be compared and is passed
// over.
data_status scan_redundancy(array_access& access, std::uint64_t limit, bool repair, std::uint32_t& found)
{
    found = 0;
    const raid_geometry& g = access.geometry();
    block a;
    block b;
    for (const auto& [start, end] : access.written_runs(0, limit)) {
        for (std::uint64_t m = start; m < end; ++m) {
            if (g.kind == layout_kind::mirror) {
                for (std::uint32_t p = 0; p + 1 < access.positions(); p += 2) {
                    data_status s = access.raw(p, m, a);
                    if (s == data_status::ok) s = access.raw(p + 1, m, b);
                    if (s == data_status::medium_error) continue;
                    if (s != data_status::ok) return s;
                    if (a == b) continue;
                    ++found;
                    if (repair) access.put(p + 1, m, a);
                }
                continue;
            }
            const std::uint32_t parity = parity_position(g, m);
            a.fill(0);
            data_status s = data_status::ok;
            for (std::uint32_t p = 0; p < access.positions() && s == data_status::ok; ++p) {
                if (p == parity) continue;
                s = access.raw(p, m, b);
                xor_into(a, b);
            }
            if (s == data_status::ok) s = access.raw(parity, m, b);
            if (s == data_status::medium_error) continue;
            if (s != data_status::ok) return s;
            if (a == b) continue;
            ++found;
            if (repair) access.put(parity, m, a);
        }
    }
    return data_status::ok;
}

} // namespace

data_status read_logical(const adapter& a, std::size_t number, block_store& blocks, std::uint64_t lba,
                         std::span<std::uint8_t> out, std::uint64_t* medium_lba)
{
    const logical_drive& ld = a.logicals[number];
    if (const data_status s = check_range(a, ld, lba, out.size()); s != data_status::ok) return s;
    array_access access(a, ld, blocks);
    block b;
    for (std::size_t at = 0; at + BLOCK_BYTES <= out.size(); at += BLOCK_BYTES, ++lba) {
        const block_place p = place_block(access.geometry(), lba);
        if (const data_status s = access.value(p.data, p.member_lba, b); s != data_status::ok) {
            if (s == data_status::medium_error && medium_lba != nullptr) *medium_lba = lba;
            return s;
        }
        std::copy(b.begin(), b.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return data_status::ok;
}

data_status write_logical(adapter& a, std::size_t number, block_store& blocks, std::uint64_t lba,
                          std::span<const std::uint8_t> in)
{
    const logical_drive& ld = a.logicals[number];
    if (const data_status s = check_range(a, ld, lba, in.size()); s != data_status::ok) return s;
    array_access access(a, ld, blocks, &a);
    block b;
    for (std::size_t at = 0; at + BLOCK_BYTES <= in.size(); at += BLOCK_BYTES, ++lba) {
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), BLOCK_BYTES, b.begin());
        if (const data_status s = write_block(access, lba, b); s != data_status::ok) return s;
    }
    return data_status::ok;
}

std::string carry_out_data_work(const std::string& root, const adapter& before, adapter& after)
{
    block_store blocks(root, after.port);
    bool recovered = false;
    const auto ready = [&] { return recovered || (recovered = blocks.recover()); };
    // A drive put into a slot is a new drive: what the slot's last drive
    // held left with it.
    for (std::uint32_t d = 0; d < DRIVE_SLOTS; ++d) {
        if (before.drives[d].present || !after.drives[d].present) continue;
        if (!ready() || !blocks.blank(d)) return blocks.error();
    }
    std::vector<lost_block> lost;
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        const logical_drive& was = before.logicals[n];
        logical_drive& now = after.logicals[n];
        if (!was.defined || !now.defined || now.raid_level == 0) continue;
        if (was.rebuild == REBUILD_EXECUTING) {
            // The drives that received data are read as they were while it
            // moved: a drive that failed since still held its blocks then.
            // One that finished gets the rest of its blocks, one still
            // receiving them gets its progress, a failed one nothing.
            const std::uint64_t size = member_blocks(before, was);
            const std::uint64_t from = size * was.progress / 100;
            array_access access(before, was, blocks);
            std::vector<std::uint32_t> finished;
            std::vector<std::uint32_t> moving;
            for (std::uint32_t p = 0; p < access.positions(); ++p) {
                const std::uint32_t hdd = access.hdd(p);
                if (before.drives[hdd].state != DRIVE_REBUILDING) continue;
                if (after.drives[hdd].state == DRIVE_GOOD) finished.push_back(p);
                if (after.drives[hdd].state == DRIVE_REBUILDING && now.rebuild == REBUILD_EXECUTING) {
                    moving.push_back(p);
                }
            }
            const std::uint64_t to = size * now.progress / 100;
            if ((!finished.empty() || (!moving.empty() && to > from)) && !ready()) return blocks.error();
            if (!finished.empty() && rebuild_range(access, finished, from, size, lost) == data_status::io_error) {
                return blocks.error();
            }
            if (!moving.empty() && to > from &&
                rebuild_range(access, moving, from, to, lost) == data_status::io_error) {
                return blocks.error();
            }
        }
        if (now.maintenance != MAINTENANCE_NONE && now.maintenance != was.maintenance) {
            if (!ready()) return blocks.error();
            array_access access(after, now, blocks);
            std::uint32_t found = 0;
            // Parity making rewrites what it finds at once; the data path
            // keeps what is written meanwhile consistent.
            if (scan_redundancy(access, member_blocks(after, now), now.maintenance == MAINTENANCE_PARITY, found) ==
                data_status::io_error) {
                return blocks.error();
            }
            // An injected count stands for what the data does not show.
            now.inconsistencies = std::max(now.inconsistencies, found);
        }
    }
    // What a rebuild could not make is lost on its drive: a bad spot the
    // adapter lists, and a block the drive cannot read until it is written.
    for (const lost_block& l : lost) {
        physical_drive& d = after.drives[l.hdd];
        const auto lba = static_cast<std::uint32_t>(l.member_lba);
        if (!d.present || std::find(d.bad_spots.begin(), d.bad_spots.end(), lba) != d.bad_spots.end()) continue;
        d.bad_spots.push_back(lba);
        log_bad_spot(after, l.hdd, lba);
        if (std::find(d.medium_error_lbas.begin(), d.medium_error_lbas.end(), lba) == d.medium_error_lbas.end()) {
            d.medium_error_lbas.push_back(lba);
        }
    }
    return blocks.commit() ? std::string() : blocks.error();
}

} // namespace sim
