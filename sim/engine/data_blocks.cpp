#include "data_blocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "store.h"

namespace sim {

namespace {

using plat::hosted::unique_fd;

constexpr char JOURNAL_MAGIC[] = "ZANBLOCKS1\n";
constexpr std::size_t MAGIC_LENGTH = sizeof JOURNAL_MAGIC - 1;
constexpr std::size_t RECORD_HEAD = 4 + 8; // drive, LBA
constexpr std::size_t RECORD_LENGTH = RECORD_HEAD + BLOCK_BYTES;
constexpr std::size_t SUM_LENGTH = 8;

std::uint64_t checksum_of(std::string_view bytes)
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    return hash;
}

void put_le(std::string& out, std::uint64_t value, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t get_le(const char* at, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(at[i]);
    return value;
}

off_t offset_of(std::uint64_t lba)
{
    return static_cast<off_t>(lba * BLOCK_BYTES);
}

} // namespace

block_store::block_store(std::string root, std::uint32_t port) : root_(std::move(root)), port_(port) {}

std::string block_store::drive_path(std::uint32_t hdd) const
{
    return adapters_dir(root_) + "/port" + std::to_string(port_) + ".drive" + std::to_string(hdd) + ".blocks";
}

std::string block_store::journal_path() const
{
    return adapters_dir(root_) + "/port" + std::to_string(port_) + ".blocks.journal";
}

bool block_store::failed(const std::string& what, const std::string& path)
{
    error_ = what + " " + path + ": " + std::strerror(errno);
    return false;
}

int block_store::reader(std::uint32_t hdd)
{
    unique_fd& fd = readers_[hdd];
    if (!fd.valid() && !absent_.contains(hdd)) {
        fd = unique_fd(::open(drive_path(hdd).c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid() && errno == ENOENT) absent_.insert(hdd);
    }
    return fd.get();
}

bool block_store::read(std::uint32_t hdd, std::uint64_t lba, block& out)
{
    if (const auto staged = staged_.find({hdd, lba}); staged != staged_.end()) {
        out = staged->second;
        return true;
    }
    out.fill(0);
    const int fd = reader(hdd);
    if (fd < 0) return absent_.contains(hdd) || failed("cannot open", drive_path(hdd));
    for (std::size_t done = 0; done < out.size();) {
        const off_t at = offset_of(lba) + static_cast<off_t>(done);
        const ssize_t got = ::pread(fd, out.data() + done, out.size() - done, at);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed("cannot read", drive_path(hdd));
        if (got == 0) break; // past the last written block
        done += static_cast<std::size_t>(got);
    }
    return true;
}

void block_store::write(std::uint32_t hdd, std::uint64_t lba, const block& in)
{
    staged_[{hdd, lba}] = in;
}

bool block_store::blank(std::uint32_t hdd)
{
    std::erase_if(staged_, [hdd](const auto& staged) { return staged.first.first == hdd; });
    readers_.erase(hdd);
    absent_.erase(hdd);
    if (::unlink(drive_path(hdd).c_str()) != 0 && errno != ENOENT) return failed("cannot remove", drive_path(hdd));
    return true;
}

bool block_store::next_written(std::uint32_t hdd, std::uint64_t from, std::uint64_t& start, std::uint64_t& end)
{
    const int fd = reader(hdd);
    if (fd < 0) return false;
    const off_t data = ::lseek(fd, offset_of(from), SEEK_DATA);
    if (data < 0) return false;
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    if (hole < 0) return false;
    start = std::max<std::uint64_t>(from, static_cast<std::uint64_t>(data) / BLOCK_BYTES);
    end = (static_cast<std::uint64_t>(hole) + BLOCK_BYTES - 1) / BLOCK_BYTES;
    return end > start;
}

bool block_store::commit()
{
    if (staged_.empty()) return true;
    std::string journal(JOURNAL_MAGIC, MAGIC_LENGTH);
    journal.reserve(MAGIC_LENGTH + staged_.size() * RECORD_LENGTH + SUM_LENGTH);
    for (const auto& [where, bytes] : staged_) {
        put_le(journal, where.first, 4);
        put_le(journal, where.second, 8);
        journal.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    put_le(journal, checksum_of(journal), SUM_LENGTH);
    if (std::string e = write_file_safely(journal_path(), journal, plat::hosted::durability::process_crash);
        !e.empty()) {
        error_ = e;
        return false;
    }
    staged_.clear();
    return apply(journal);
}

bool block_store::recover()
{
    std::string journal;
    bool exists = false;
    if (plat::hosted::read_whole_file(journal_path(), journal, exists) != 0) {
        return failed("cannot read", journal_path());
    }
    if (!exists) return true;
    const bool whole = journal.size() >= MAGIC_LENGTH + SUM_LENGTH &&
                       (journal.size() - MAGIC_LENGTH - SUM_LENGTH) % RECORD_LENGTH == 0 &&
                       journal.compare(0, MAGIC_LENGTH, JOURNAL_MAGIC) == 0 &&
                       get_le(journal.data() + journal.size() - SUM_LENGTH, SUM_LENGTH) ==
                           checksum_of(std::string_view(journal).substr(0, journal.size() - SUM_LENGTH));
    if (!whole) {
        error_ = journal_path() + ": damaged: its checksum does not match";
        return false;
    }
    return apply(journal);
}

bool block_store::apply(const std::string& journal)
{
    std::map<std::uint32_t, unique_fd> writers;
    for (std::size_t at = MAGIC_LENGTH; at + RECORD_LENGTH <= journal.size() - SUM_LENGTH; at += RECORD_LENGTH) {
        const auto hdd = static_cast<std::uint32_t>(get_le(journal.data() + at, 4));
        const std::uint64_t lba = get_le(journal.data() + at + 4, 8);
        unique_fd& fd = writers[hdd];
        if (!fd.valid()) fd = unique_fd(::open(drive_path(hdd).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (!fd.valid()) return failed("cannot open", drive_path(hdd));
        const char* bytes = journal.data() + at + RECORD_HEAD;
        for (std::size_t done = 0; done < BLOCK_BYTES;) {
            const off_t at = offset_of(lba) + static_cast<off_t>(done);
            const ssize_t put = ::pwrite(fd.get(), bytes + done, BLOCK_BYTES - done, at);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return failed("cannot write", drive_path(hdd));
            done += static_cast<std::size_t>(put);
        }
    }
    for (auto& [hdd, fd] : writers) {
        if (const int e = fd.close_checked(); e != 0) {
            errno = e;
            return failed("cannot close", drive_path(hdd));
        }
    }
    readers_.clear(); // a drive file may have been made just now
    absent_.clear();
    if (::unlink(journal_path().c_str()) != 0 && errno != ENOENT) return failed("cannot remove", journal_path());
    return true;
}

} // namespace sim
