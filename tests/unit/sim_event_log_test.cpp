// The simulated firmware's event ring as the monitoring service reads it:
// collecting entries writes no file, and a check that finds more
// inconsistencies than the ring holds keeps the last ones, numbered.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "../../sim/engine/event_log.h"
#include "../../sim/engine/store.h"
#include "../../sim/engine/tasks.h"
#include "driver_request.h"
#include "sim/control.h"
#include "sim/root.h"
#include "sim_root.h"
#include "zanioctl.h"

namespace {

constexpr int PORT = 2;

struct file_times {
    ino_t inode;
    std::int64_t modified_ns;
    bool operator==(const file_times&) const = default;
};

file_times times_of(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
}

TEST(SimEventLog, CollectingEntriesMovesTheReadPositionAndWritesNoFile)
{
    zan_test::sim_root root;
    root.create("one");
    for (std::uint8_t n = 1; n <= 3; ++n) {
        std::vector<std::uint8_t> entry(sim::EVENT_SIZE, 0);
        entry[sim::EVENT_CLASS] = 7;
        entry[0x100] = n;
        ASSERT_EQ(sim::add_event(PORT, entry), "");
    }
    const std::string adapters = root.path() + "/adapters/port2";
    const file_times state = times_of(adapters + ".state");
    const file_times ring = times_of(adapters + ".events");

    plat::device port;
    ASSERT_TRUE(port.open("\\\\.\\Scsi2:"));
    // Slot read, then what the entry holds at 0x100 (0x11: empty) and the
    // RAID status's read position after it.
    const struct {
        std::uint32_t slot;
        std::uint8_t holds;
        std::uint32_t position;
    } reads[] = {{0, 1, 1}, {2, 3, 3}, {1, 0x11, 3}, {0, 0x11, 3}, {4095, 0x11, 3}};
    for (const auto& r : reads) {
        std::array<std::uint8_t, 524> event{};
        event[0] = 1; // the controller id
        zan::store_le32(event.data() + 4, r.slot * 512);
        std::uint32_t os_error = 0;
        ASSERT_TRUE(zan::send_driver_request(port, zan::IOCTL_KRAID_GET_EVENT_LOG, event, os_error)) << r.slot;
        EXPECT_EQ(event[12 + 0x100], r.holds) << r.slot;
        std::array<std::uint8_t, 100> status{};
        ASSERT_TRUE(zan::send_driver_request(port, zan::IOCTL_KRAID_GET_RAID_STATUS, status, os_error));
        EXPECT_EQ(zan::load_le32(status.data() + 48), r.position) << r.slot;
    }
    EXPECT_EQ(times_of(adapters + ".state"), state);
    EXPECT_EQ(times_of(adapters + ".events"), ring);
}

TEST(SimEventLog, ACheckFindingMoreThanTheRingHoldsKeepsTheLastEntriesNumbered)
{
    zan_test::sim_root root;
    root.create("one");
    sim::adapter a;
    ASSERT_EQ(sim::load_adapter(sim::root_dir(), PORT, a), "");
    constexpr std::uint32_t FOUND = 100000;
    a.logicals[0].inconsistencies = FOUND;
    sim::advance_tasks(a, 1000);
    ASSERT_EQ(sim::start_maintenance(a, 0, sim::MAINTENANCE_CHECK), zan::IOC_STATUS_GOOD);
    sim::advance_tasks(a, 1000 + 100 * 1000);

    // The start, FOUND inconsistencies and the end; the ring keeps the last
    // 4096: inconsistencies FOUND - 4094 to FOUND, then the end.
    EXPECT_EQ(a.event_sequence, FOUND + 2);
    EXPECT_EQ(a.event_unread, sim::EVENT_SLOTS);
    const std::uint32_t spacing = 140014u * 2048 / (FOUND + 1);
    const struct {
        std::uint32_t age; // 0: the oldest entry kept
        std::uint32_t number;
        std::uint32_t position;
    } kept[] = {{0, FOUND + 2 - 4095, spacing * (FOUND - 4094)},
                {4094, FOUND + 1, spacing * FOUND},
                {4095, FOUND + 2, sim::TASK_ENDED}};
    for (const auto& k : kept) {
        sim::event_entry e{};
        const std::uint32_t slot = (sim::event_read_position(a) + k.age) % sim::EVENT_SLOTS;
        sim::read_event_log(a, std::size_t{slot} * sim::EVENT_SIZE, e);
        EXPECT_EQ(zan::load_le32(e.data()), k.number) << k.age;
        EXPECT_EQ(e[sim::EVENT_TASK], sim::TASK_CHECK) << k.age;
        EXPECT_EQ(zan::load_le32(e.data() + sim::EVENT_POSITION), k.position) << k.age;
    }
}

} // namespace
