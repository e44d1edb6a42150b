#include "timed_wait.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "plat/module.h"
#include "posix_io.h"
#include "sim/root.h"

namespace plat::hosted {

namespace {

constexpr std::uint32_t NO_LIMIT = 0xFFFFFFFF;

readable poll_one(int fd, int timeout_ms)
{
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeout_ms);
        if (n > 0) return readable::yes;
        if (n == 0) return readable::timeout;
        if (errno != EINTR) return readable::failed;
    }
}

int real_limit(std::uint32_t timeout_ms)
{
    return timeout_ms == NO_LIMIT || timeout_ms > INT_MAX ? -1 : static_cast<int>(timeout_ms);
}

// The file that shows this thread waiting until `deadline` on the stopped clock.
class wait_marker {
public:
    wait_marker(const std::string& root, std::uint64_t deadline)
    {
        const std::string folder = root + "/waits";
        ::mkdir(folder.c_str(), 0755);
        path_ = folder + "/" + std::to_string(::getpid()) + "-" + std::to_string(current_thread_id());
        static_cast<void>(replace_file(path_, std::to_string(deadline) + "\n", durability::process_crash));
    }
    ~wait_marker() { ::unlink(path_.c_str()); }
    wait_marker(const wait_marker&) = delete;
    wait_marker& operator=(const wait_marker&) = delete;

private:
    std::string path_;
};

} // namespace

readable wait_readable(int fd, std::uint32_t timeout_ms)
{
    const std::string root = sim::root_dir();
    std::uint64_t now = 0;
    if (timeout_ms == NO_LIMIT || !sim::stopped_clock(root, now)) return poll_one(fd, real_limit(timeout_ms));

    // The clock file is replaced whenever the clock moves: watch the root
    // first, then read the clock, so that no move goes unseen.
    unique_fd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!watch.valid() ||
        ::inotify_add_watch(watch.get(), root.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE) < 0) {
        return readable::failed;
    }
    if (!sim::stopped_clock(root, now)) return poll_one(fd, real_limit(timeout_ms));
    const std::uint64_t deadline = now + timeout_ms;
    const wait_marker marker(root, deadline);
    for (;;) {
        if (!sim::stopped_clock(root, now)) {
            // Back on real time, where the stopped clock's deadline means
            // nothing: the time is up unless the object is signalled.
            return poll_one(fd, 0);
        }
        if (now >= deadline) return readable::timeout;
        pollfd p[2] = {{fd, POLLIN, 0}, {watch.get(), POLLIN, 0}};
        const int n = ::poll(p, 2, -1);
        if (n < 0 && errno != EINTR) return readable::failed;
        if ((p[0].revents & POLLIN) != 0) return readable::yes;
        char drain[4096];
        while (::read(watch.get(), drain, sizeof drain) > 0) {
        }
    }
}

} // namespace plat::hosted
