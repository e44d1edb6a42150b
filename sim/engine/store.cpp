#include "store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <mutex>

#include "data_path.h"
#include "event_log.h"
#include "model_text.h"
#include "posix_io.h"

namespace sim {

namespace {

using plat::hosted::file_identity;
using plat::hosted::identity_of;
using plat::hosted::unique_fd;

std::string system_error(const std::string& what, const std::string& path, int error = errno)
{
    return what + " " + path + ": " + std::strerror(error);
}

std::string ring_path(const std::string& root, std::uint32_t port)
{
    return adapters_dir(root) + "/port" + std::to_string(port) + ".events";
}

// --- The checksum line that ends every state file -------------------------

constexpr char CHECKSUM_PREFIX[] = "# checksum ";

std::uint64_t checksum_of(std::string_view text)
{
    // FNV-1a, 64 bits: any lost, added or changed line changes it.
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    return hash;
}

std::string with_checksum(const std::string& text, std::uint64_t& checksum)
{
    checksum = checksum_of(text);
    char line[48];
    std::snprintf(line, sizeof line, "%s%016" PRIX64 "\n", CHECKSUM_PREFIX, checksum);
    return text + line;
}

// Checks the last line of a state file against the text before it.
std::string verify_checksum(std::string_view text, std::uint64_t& checksum)
{
    const std::size_t start = text.empty() ? 0 : text.rfind('\n', text.size() - 2);
    const std::size_t line = start == std::string_view::npos ? 0 : start + 1;
    const std::string_view last = text.substr(line);
    const std::size_t prefix = sizeof CHECKSUM_PREFIX - 1;
    if (last.substr(0, prefix) != CHECKSUM_PREFIX || last.size() != prefix + 17 || last.back() != '\n' ||
        std::sscanf(std::string(last.substr(prefix, 16)).c_str(), "%16" SCNx64, &checksum) != 1) {
        return "damaged: the checksum line at its end is missing";
    }
    if (checksum_of(text.substr(0, line)) != checksum) return "damaged: its text does not match its checksum";
    return {};
}

// --- What each process keeps of the adapters it has seen -------------------

// What changes with nearly every request and is kept beside the model rather
// than in the state file: the request counter, the clock time the state is
// brought to, the event log's unread count (one per GET_EVENT_LOG) and a
// firmware download in progress (one per WRITE BUFFER piece). It belongs to
// the state file whose checksum it names; after a kill between the two, the
// state file's own values stand.
struct bookkeeping_values {
    std::uint64_t state_checksum;
    std::uint64_t requests;
    std::uint64_t clock_ms;
    std::uint32_t event_unread;
    std::uint32_t flash_expected;
    std::uint32_t flash_received;
    std::uint32_t flash_sum;
    char flash_revision[8];
};

// At the start of the lock file, changed in place through a shared mapping:
// the new values go to the slot not in use, then one store makes it current,
// so a process killed at any moment leaves the old or the new values.
struct bookkeeping {
    std::uint64_t current; // 0 or 1
    bookkeeping_values slot[2];
};
constexpr std::size_t BOOKKEEPING_SIZE = 4096;
static_assert(sizeof(bookkeeping) <= BOOKKEEPING_SIZE);

bookkeeping_values values_of(const adapter& a, std::uint64_t checksum)
{
    bookkeeping_values v{checksum,         a.requests,       a.clock_ms, a.event_unread, a.flash_expected,
                         a.flash_received, a.flash_sum, {}};
    a.flash_revision.copy(v.flash_revision, sizeof v.flash_revision - 1);
    return v;
}

void apply_values(adapter& a, const bookkeeping_values& v)
{
    a.requests = v.requests;
    a.clock_ms = v.clock_ms;
    a.event_unread = v.event_unread;
    a.flash_expected = v.flash_expected;
    a.flash_received = v.flash_received;
    a.flash_sum = v.flash_sum;
    a.flash_revision.assign(v.flash_revision, strnlen(v.flash_revision, sizeof v.flash_revision));
}

struct known_adapter {
    // The state file last parsed or written, held open so that its inode
    // number cannot be reused by a later file: a changed identity is a new
    // file.
    file_identity state_id;
    unique_fd state_pin;
    adapter model; // as that file says
    std::uint64_t checksum = 0;
    // The mapped bookkeeping of the lock file with identity `lock_id`.
    file_identity lock_id;
    bookkeeping* record = nullptr;
    // The ring file, opened at its first read. Like the lock file, it stays
    // the same file while the state file does: a new root replaces all.
    unique_fd ring;

    known_adapter() = default;
    known_adapter(const known_adapter&) = delete;
    known_adapter& operator=(const known_adapter&) = delete;
    ~known_adapter() { unmap(); }

    void unmap()
    {
        if (record != nullptr) ::munmap(record, BOOKKEEPING_SIZE);
        record = nullptr;
    }
};

std::mutex known_mutex;
std::map<std::string, known_adapter> known; // by state file path

// The bookkeeping record of the adapter, mapped once per lock file; null
// when the lock file does not exist yet (no request was ever made). A
// mapping made while the state file was the same is taken as it is.
bookkeeping* map_bookkeeping(const std::string& root, std::uint32_t port, known_adapter& k, bool same_state)
{
    if (k.record != nullptr && same_state) return k.record;
    const std::string path = adapter_lock_path(root, port);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return nullptr;
    file_identity id = identity_of(st);
    id.modified_ns = id.changed_ns = 0; // only the file counts, not its times
    id.size = -1;
    if (k.record != nullptr && k.lock_id == id) return k.record;
    k.unmap();
    unique_fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return nullptr;
    if (st.st_size < static_cast<off_t>(BOOKKEEPING_SIZE) && ::ftruncate(fd.get(), BOOKKEEPING_SIZE) != 0) {
        return nullptr;
    }
    void* map = ::mmap(nullptr, BOOKKEEPING_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (map == MAP_FAILED) return nullptr;
    k.record = static_cast<bookkeeping*>(map);
    k.lock_id = identity_of(st);
    k.lock_id.modified_ns = k.lock_id.changed_ns = 0;
    k.lock_id.size = -1;
    return k.record;
}

bookkeeping_values read_values(bookkeeping& record)
{
    const std::uint64_t current = std::atomic_ref<std::uint64_t>(record.current).load(std::memory_order_acquire);
    return record.slot[current & 1];
}

void write_values(bookkeeping& record, const bookkeeping_values& values)
{
    const std::uint64_t next = 1 - (record.current & 1);
    record.slot[next] = values;
    std::atomic_ref<std::uint64_t>(record.current).store(next, std::memory_order_release);
}

// Reads and parses the state file into `k` (the caller holds known_mutex).
std::string parse_state_file(const std::string& path, std::uint32_t port, known_adapter& k)
{
    unique_fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return system_error("cannot open", path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return system_error("cannot read", path);
    std::string text;
    if (const int error = plat::hosted::read_all(fd.get(), text); error != 0) {
        return system_error("cannot read", path, error);
    }
    adapter parsed;
    std::uint64_t checksum = 0;
    std::string error = parse_adapter(text, parsed);
    if (error.empty()) error = verify_checksum(text, checksum);
    if (error.empty() && parsed.port != port) error = "describes port " + std::to_string(parsed.port);
    if (!error.empty()) {
        k.state_pin.reset();
        k.state_id = {};
        return "state file " + path + ": " + error;
    }
    k.state_id = identity_of(st);
    k.state_pin = std::move(fd);
    k.model = std::move(parsed);
    k.checksum = checksum;
    k.ring.reset();
    return {};
}

// Whether `a` says what `saved` says, bookkeeping and its ring file aside.
bool same_model(adapter& a, const adapter& saved)
{
    const bookkeeping_values own = values_of(a, 0);
    std::string ring = std::move(a.event_file);
    apply_values(a, values_of(saved, 0));
    a.event_file = saved.event_file;
    const bool same = a == saved;
    apply_values(a, own);
    a.event_file = std::move(ring);
    return same;
}

// Writes the entries of a.events into their slots of the ring file, which
// is made whole (every slot empty) the first time.
std::string write_events(const std::string& path, const adapter& a)
{
    unique_fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid() && errno == ENOENT) {
        const std::string empty(static_cast<std::size_t>(EVENT_SLOTS) * EVENT_SIZE,
                                static_cast<char>(EVENT_EMPTY_FILL));
        if (std::string e = write_file_safely(path, empty, plat::hosted::durability::process_crash); !e.empty()) {
            return e;
        }
        fd = unique_fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    }
    if (!fd.valid()) return system_error("cannot open", path);
    for (const auto& [slot, entry] : a.events) {
        const off_t at = static_cast<off_t>(slot) * static_cast<off_t>(EVENT_SIZE);
        std::size_t done = 0;
        while (done < entry.size()) {
            const ssize_t put = ::pwrite(fd.get(), entry.data() + done, entry.size() - done,
                                         at + static_cast<off_t>(done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return system_error("cannot write", path);
            done += static_cast<std::size_t>(put);
        }
    }
    if (const int error = fd.close_checked(); error != 0) return system_error("cannot close", path, error);
    return {};
}

} // namespace

std::string adapters_dir(const std::string& root)
{
    return root + "/adapters";
}

std::string state_path(const std::string& root, std::uint32_t port)
{
    return adapters_dir(root) + "/port" + std::to_string(port) + ".state";
}

std::string adapter_lock_path(const std::string& root, std::uint32_t port)
{
    return adapters_dir(root) + "/port" + std::to_string(port) + ".lock";
}

bool adapter_exists(const std::string& root, std::uint32_t port)
{
    struct stat st {};
    return ::stat(state_path(root, port).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::uint32_t> list_ports(const std::string& root)
{
    std::vector<std::uint32_t> ports;
    DIR* dir = ::opendir(adapters_dir(root).c_str());
    if (dir == nullptr) return ports;
    while (const dirent* entry = ::readdir(dir)) {
        unsigned port = 0;
        char tail[8] = {};
        // "port<N>.state" and nothing after it.
        if (std::sscanf(entry->d_name, "port%u.%7s", &port, tail) == 2 && std::strcmp(tail, "state") == 0 &&
            port <= 255 && std::string(entry->d_name) == "port" + std::to_string(port) + ".state") {
            ports.push_back(port);
        }
    }
    ::closedir(dir);
    std::sort(ports.begin(), ports.end());
    return ports;
}

std::string load_adapter(const std::string& root, std::uint32_t port, adapter& out)
{
    const std::string path = state_path(root, port);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return system_error("cannot open", path);
    const std::lock_guard<std::mutex> guard(known_mutex);
    known_adapter& k = known[path];
    const bool same = k.state_pin.valid() && k.state_id == identity_of(st);
    if (!same) {
        if (std::string e = parse_state_file(path, port, k); !e.empty()) return e;
    }
    out = k.model;
    if (bookkeeping* record = map_bookkeeping(root, port, k, same)) {
        const bookkeeping_values values = read_values(*record);
        if (values.state_checksum == k.checksum) apply_values(out, values);
    }
    out.event_file = ring_path(root, port);
    return {};
}

std::string save_adapter(const std::string& root, adapter& a)
{
    const std::string path = state_path(root, a.port);
    const std::lock_guard<std::mutex> guard(known_mutex);
    known_adapter& k = known[path];
    const auto flush_events = [&]() -> std::string {
        if (a.events.empty()) return {};
        if (std::string e = write_events(ring_path(root, a.port), a); !e.empty()) return e;
        a.events.clear();
        k.ring.reset(); // perhaps made just now
        return {};
    };
    if (std::string e = flush_events(); !e.empty()) return e;
    struct stat st {};
    const bool current = k.state_pin.valid() && ::stat(path.c_str(), &st) == 0 && k.state_id == identity_of(st);
    const bool changed = !current || !same_model(a, k.model);
    if (changed) {
        // The drives' blocks follow the background work before its state
        // moves on; what that work logs joins the ring.
        if (std::string e = carry_out_data_work(root, k.model, a); !e.empty()) return e;
        if (std::string e = flush_events(); !e.empty()) return e;
    }
    if (changed) {
        std::uint64_t checksum = 0;
        std::string ring = std::move(a.event_file);
        const std::string text = with_checksum(format_adapter(a), checksum);
        a.event_file = std::move(ring);
        if (std::string e = write_file_safely(path, text, plat::hosted::durability::process_crash); !e.empty()) {
            return e;
        }
        unique_fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return system_error("cannot open", path);
        k.state_id = identity_of(st);
        k.state_pin = std::move(fd);
        k.model = a;
        k.model.event_file.clear();
        k.checksum = checksum;
    }
    // The caller holds the adapter's lock: its lock file is the one mapped.
    if (bookkeeping* record = map_bookkeeping(root, a.port, k, true)) write_values(*record, values_of(a, k.checksum));
    return {};
}

void read_event_ring(const std::string& path, std::size_t offset, std::span<std::uint8_t> out)
{
    std::fill(out.begin(), out.end(), EVENT_EMPTY_FILL);
    if (path.empty()) return;
    // The ring of a known adapter is read through the file kept open.
    constexpr std::string_view RING_SUFFIX = ".events";
    const std::lock_guard<std::mutex> guard(known_mutex);
    const auto known_state = path.ends_with(RING_SUFFIX)
                                 ? known.find(path.substr(0, path.size() - RING_SUFFIX.size()) + ".state")
                                 : known.end();
    unique_fd own;
    unique_fd& fd = known_state != known.end() ? known_state->second.ring : own;
    if (!fd.valid()) fd = unique_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return;
    for (std::size_t done = 0; done < out.size();) {
        const ssize_t got = ::pread(fd.get(), out.data() + done, out.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        done += static_cast<std::size_t>(got);
    }
}

std::string write_file_safely(const std::string& path, const std::string& text, plat::hosted::durability level)
{
    if (const int error = plat::hosted::replace_file(path, text, level); error != 0) {
        return system_error("cannot replace", path, error);
    }
    return {};
}

std::string sync_root(const std::string& root)
{
    unique_fd fd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return system_error("cannot open", root);
    if (::syncfs(fd.get()) != 0) return system_error("cannot sync", root);
    return {};
}

root_lock::~root_lock()
{
    if (fd_ >= 0) ::close(fd_);
}

root_lock::outcome root_lock::try_lock(const std::string& path)
{
    if (fd_ >= 0) return outcome::held;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error_ = system_error("cannot open", path);
        return outcome::failed;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        if (!busy) error_ = system_error("cannot lock", path);
        ::close(fd);
        return busy ? outcome::busy : outcome::failed;
    }
    fd_ = fd;
    return outcome::held;
}

root_lock::outcome root_lock::lock_within(const std::string& path, int timeout_ms)
{
    for (int waited = 0;; waited += 5) {
        const outcome o = try_lock(path);
        if (o != outcome::busy || waited >= timeout_ms) return o;
        ::usleep(5000);
    }
}

} // namespace sim
