// The trace configuration read from the registry (PTime and the EventID
// list, each value missing, of the wrong type or out of range) and the trace
// check's timing.
#include <gtest/gtest.h>

#include <vector>

#include "event_store.h"
#include "plat/error.h"
#include "plat/registry.h"
#include "sim_root.h"
#include "trace.h"

namespace {

constexpr char LOG_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice\\Parameters\\Log";

class ServiceTrace : public ::testing::Test {
protected:
    void SetUp() override { root.create("one"); }

    void set_dword(const std::string& key, const char* name, std::uint32_t value)
    {
        plat::reg_key k;
        ASSERT_EQ(k.create(key), plat::ERR_SUCCESS);
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                       static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        ASSERT_EQ(k.set_value(name, plat::REG_TYPE_DWORD, bytes, 4), plat::ERR_SUCCESS);
    }

    // The IDs reported since the root was made.
    std::vector<std::uint32_t> reported()
    {
        std::vector<plat::hosted::event_record> records;
        EXPECT_EQ(plat::hosted::read_events(root.path(), records), 0);
        std::vector<std::uint32_t> ids;
        for (const auto& r : records) ids.push_back(r.id);
        return ids;
    }

    zan_test::sim_root root;
};

TEST_F(ServiceTrace, PTimeDefaultsLimitsAndSwitchesOff)
{
    zan::trace_state t;
    t.ptime = 99;
    zan::read_trace_configuration(t);
    EXPECT_EQ(t.ptime, 1u); // key missing
    EXPECT_TRUE(t.event_codes.empty());
    EXPECT_EQ(reported(), std::vector<std::uint32_t>{0xA0000041}); // EventID key missing

    plat::reg_key log;
    ASSERT_EQ(log.create(LOG_KEY), plat::ERR_SUCCESS);
    ASSERT_EQ(log.set_value("PTime", plat::REG_TYPE_SZ, "5", 2), plat::ERR_SUCCESS);
    zan::read_trace_configuration(t);
    EXPECT_EQ(t.ptime, 1u); // a string acts as the default
    for (const auto& [value, taken] : {std::pair{5000u, 720u}, {720u, 720u}, {3u, 3u}, {0u, 0u}}) {
        set_dword(LOG_KEY, "PTime", value);
        zan::read_trace_configuration(t);
        EXPECT_EQ(t.ptime, taken) << value;
    }
}

TEST_F(ServiceTrace, EventIdListEmptyOrEndedByAZero)
{
    const std::string ids = std::string(LOG_KEY) + "\\EventID";
    plat::reg_key key;
    ASSERT_EQ(key.create(ids), plat::ERR_SUCCESS);
    zan::trace_state t;
    zan::read_trace_configuration(t);
    EXPECT_TRUE(t.event_codes.empty());
    EXPECT_TRUE(reported().empty()); // an empty key is no fault

    set_dword(ids, "panic", 0x1130);
    set_dword(ids, "failed", 0x1000);
    zan::read_trace_configuration(t);
    EXPECT_EQ(t.event_codes, (std::vector<std::uint32_t>{0x1130, 0x1000}));

    set_dword(ids, "zero", 0);
    set_dword(ids, "later", 0x1165);
    zan::read_trace_configuration(t);
    EXPECT_EQ(t.event_codes, (std::vector<std::uint32_t>{0x1130, 0x1000}));
    EXPECT_EQ(reported(), std::vector<std::uint32_t>{0xA0000041});
}

std::vector<int> started;

bool record_start(std::uint8_t adapter)
{
    started.push_back(adapter);
    return true;
}

TEST(ServiceTraceCheck, PTimeThreeStartsOnTheThirdCycleAndZeroNever)
{
    zan::trace_state t;
    t.ptime = 3;
    t.event_codes = {0x1130};
    started.clear();
    zan::note_reported_event(t, 0xE0001130, 0);     // firmware panic in the first cycle
    zan::note_reported_event(t, 0xE0001140, 1);     // not listed
    zan::note_reported_event(t, 0xE0001130, 255);   // no adapter
    zan::trace_check(t, 2, record_start);
    zan::trace_check(t, 2, record_start);
    EXPECT_TRUE(started.empty());
    zan::trace_check(t, 2, record_start);
    EXPECT_EQ(started, std::vector<int>{0});
    EXPECT_FALSE(t.requested[0]);
    EXPECT_EQ(t.counter, 0u);

    // Two adapters asking at once: one collection per cycle.
    zan::note_reported_event(t, 0xE0001130, 0);
    zan::note_reported_event(t, 0xE0001130, 1);
    for (int cycle = 0; cycle < 6; ++cycle) zan::trace_check(t, 2, record_start);
    EXPECT_EQ(started, (std::vector<int>{0, 0, 1}));

    t.ptime = 0;
    zan::note_reported_event(t, 0xE0001130, 0);
    for (int cycle = 0; cycle < 5; ++cycle) zan::trace_check(t, 2, record_start);
    EXPECT_EQ(started.size(), 3u);
}

} // namespace
