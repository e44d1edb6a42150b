// The monitor against the simulated adapter, driven straight by the test:
// a ring overfilled between two poll cycles and a restart of the monitor
// report every entry the firmware still holds exactly once, in order.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "../../sim/engine/event_log.h"
#include "../../sim/engine/store.h"
#include "event_store.h"
#include "monitor.h"
#include "sim/root.h"
#include "sim_root.h"
#include "zanbytes.h"

namespace {

constexpr int PORT = 2;

// Writes medium-error entries numbered first..last (the count field carries
// the number, so that every report names its entry).
void write_entries(std::uint32_t first, std::uint32_t last)
{
    const std::string root = sim::root_dir();
    sim::adapter a;
    ASSERT_EQ(sim::load_adapter(root, PORT, a), "");
    for (std::uint32_t n = first; n <= last; ++n) {
        sim::event_entry e = sim::make_event(2, 39);
        e[0x50] = 1;
        zan::store_le32(e.data() + 0x5C, n);
        sim::append_event(a, e);
    }
    ASSERT_EQ(sim::save_adapter(root, a), "");
}

// The entry numbers the Event Log holds reports of, oldest first.
std::vector<std::uint32_t> reported_numbers(const std::string& root)
{
    std::vector<plat::hosted::event_record> records;
    EXPECT_EQ(plat::hosted::read_events(root, records), 0);
    std::vector<std::uint32_t> numbers;
    for (const auto& r : records) {
        if (r.id == 0x60001254 && r.strings.size() == 3) numbers.push_back(static_cast<std::uint32_t>(std::stoul(r.strings[2])));
    }
    return numbers;
}

void start(zan::monitor_state& m)
{
    ASSERT_EQ(zan::discover(m), zan::discovery_end::found);
    plat::event pause;
    ASSERT_TRUE(pause.create(nullptr, false));
    ASSERT_TRUE(zan::contact(m, pause));
    zan::start_monitoring(m);
}

TEST(ServiceMonitor, OverfullRingAndRestartReportEachSurvivingEntryOnce)
{
    zan_test::sim_root root;
    root.create("one");
    {
        zan::monitor_state m;
        start(m);
        EXPECT_TRUE(reported_numbers(root.path()).empty());
        // 5000 entries between two cycles: the ring keeps the last 4096.
        write_entries(1, 5000);
        const auto began = std::chrono::steady_clock::now();
        zan::poll_cycle(m);
        const auto took = std::chrono::steady_clock::now() - began;
        std::printf("one poll cycle over a full ring: %lld ms\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        write_entries(5001, 5100);
        zan::stop_adapters(m, [] {});
    }
    // A new start (the service restarted) goes on where the firmware stands.
    zan::monitor_state m;
    start(m);
    write_entries(5101, 5110);
    zan::poll_cycle(m);
    zan::poll_cycle(m);
    zan::stop_adapters(m, [] {});

    std::vector<std::uint32_t> expected;
    for (std::uint32_t n = 5000 - 4096 + 1; n <= 5110; ++n) expected.push_back(n);
    EXPECT_EQ(reported_numbers(root.path()), expected);
}

} // namespace
