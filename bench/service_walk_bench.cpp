// The monitoring service's cost per poll cycle, in-process through the real
// request path (the service's exchange, the hosted device facility, the
// simulated adapter and its files): four adapters whose event rings are
// full (4096 entries each, read past, then every one reported), then the
// same cycle once the rings are read. Prints the CPU time and the wall time of each. Run by
// bench/run.sh; ZAN_ROOT names a scratch root that this program re-creates.
#include <time.h>

#include <cstdio>
#include <string>

#include "../sim/engine/event_log.h"
#include "../sim/engine/store.h"
#include "monitor.h"
#include "sim/control.h"
#include "sim/root.h"
#include "zanbytes.h"

namespace {

constexpr std::uint32_t PORTS[] = {2, 3, 4, 5};

double seconds_of(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string four_adapters()
{
    std::string text;
    for (const std::uint32_t port : PORTS) {
        text += "[adapter " + std::to_string(port) + "]\n[drive 0]\n[drive 1]\n[logical 0]\nmembers = 0 1\n";
    }
    return text;
}

// Fills the ring of the adapter on `port`: with medium-error entries, each
// of which the service reports, or with drive state changes it reads past.
bool fill_ring(std::uint32_t port, bool reported)
{
    const std::string root = sim::root_dir();
    sim::adapter a;
    if (!sim::load_adapter(root, port, a).empty()) return false;
    for (std::uint32_t n = 1; n <= sim::EVENT_SLOTS; ++n) {
        sim::event_entry e =
            sim::make_event(sim::EVENT_CLASS_STATE, reported ? sim::EVENT_CODE_MEDIUM : sim::EVENT_CODE_STATE);
        if (reported) {
            zan::store_le32(e.data() + sim::EVENT_DETAIL_KIND, n);
        } else {
            zan::store_le16(e.data() + sim::EVENT_TYPE, sim::EVENT_TYPE_DRIVE);
            e[sim::EVENT_NEW_STATE] = 0x01; // receiving data: nothing to report
        }
        sim::append_event(a, e);
    }
    return sim::save_adapter(root, a).empty();
}

bool fill_rings(bool reported)
{
    for (const std::uint32_t port : PORTS) {
        if (!fill_ring(port, reported)) {
            std::fprintf(stderr, "bench: cannot fill the ring of port %u\n", port);
            return false;
        }
    }
    return true;
}

void time_cycle(zan::monitor_state& m, const char* label)
{
    const double cpu = seconds_of(CLOCK_PROCESS_CPUTIME_ID);
    const double wall = seconds_of(CLOCK_MONOTONIC);
    zan::poll_cycle(m);
    std::printf("%-34s cpu %.3f s  wall %.3f s\n", label, seconds_of(CLOCK_PROCESS_CPUTIME_ID) - cpu,
                seconds_of(CLOCK_MONOTONIC) - wall);
}

} // namespace

int main()
{
    if (const std::string e = sim::create_root(four_adapters()); !e.empty()) {
        std::fprintf(stderr, "bench: %s\n", e.c_str());
        return 1;
    }
    zan::monitor_state m;
    plat::event pause;
    if (zan::discover(m) != zan::discovery_end::found || m.found != 4 || !pause.create(nullptr, false) ||
        !zan::contact(m, pause)) {
        std::fprintf(stderr, "bench: the service does not find four adapters\n");
        return 1;
    }
    zan::start_monitoring(m);
    if (!fill_rings(false)) return 1;
    time_cycle(m, "poll cycle, 4 x 4096 read past");
    if (!fill_rings(true)) return 1;
    time_cycle(m, "poll cycle, 4 x 4096 reported");
    time_cycle(m, "poll cycle, rings read");
    zan::stop_adapters(m, [] {});
    return 0;
}
