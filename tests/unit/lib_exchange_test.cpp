// The library's request exchange against the simulated adapter's fault
// injection: busy answers, failure statuses, retries and a silent adapter.
#include <gtest/gtest.h>

#include "plat/error.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

class exchange_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        ASSERT_EQ(initContData(0), 1);
        zan::ContInfo info{};
        ASSERT_EQ(getContInfo(0, &info), 1);
        port_ = info.port_number;
    }
    void TearDown() override { EXPECT_EQ(finContData(), 1); }

    std::uint64_t requests() const
    {
        std::uint64_t count = 0;
        EXPECT_EQ(sim::request_count(port_, count), "");
        return count;
    }

    // Runs one getRaidStatus; returns the number of requests it sent.
    std::uint64_t raid_status(int expected_result)
    {
        const std::uint64_t before = requests();
        zan::RaidStatus status{};
        EXPECT_EQ(getRaidStatus(0, &status), expected_result);
        return requests() - before;
    }

    zan_test::sim_root root_;
    int port_ = -1;
};

TEST_F(exchange_test, busy_answers_up_to_the_limit_are_waited_out)
{
    ASSERT_EQ(sim::inject_busy(port_, 350), "");
    EXPECT_EQ(raid_status(1), 351u);
    EXPECT_EQ(DLLGetLastError(), 0u);
}

TEST_F(exchange_test, one_busy_answer_beyond_the_limit_fails_as_busy)
{
    ASSERT_EQ(sim::inject_busy(port_, 351), "");
    EXPECT_EQ(raid_status(0), 351u);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_IOCTL_BUSY | zan::DLL_ERROR_PASSED_UP);
}

TEST_F(exchange_test, failure_status_stops_after_one_attempt)
{
    ASSERT_EQ(sim::inject_status(port_, 0x8005, 10), "");
    EXPECT_EQ(raid_status(0), 1u);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
}

TEST_F(exchange_test, other_failure_statuses_are_tried_five_times)
{
    ASSERT_EQ(sim::inject_status(port_, 0x8013, 10), "");
    EXPECT_EQ(raid_status(0), 5u);
    EXPECT_EQ(DLLGetLastError(), 0x10001000u);

    // Four failures leave the fifth attempt to succeed.
    ASSERT_EQ(sim::inject_status(port_, 0x8013, 4), "");
    EXPECT_EQ(raid_status(1), 5u);
}

TEST_F(exchange_test, busy_answers_restart_the_attempt_count)
{
    // Busy answers come first; after them the attempt count stands at one, so
    // a failing adapter gets four more attempts.
    ASSERT_EQ(sim::inject_busy(port_, 3), "");
    ASSERT_EQ(sim::inject_status(port_, 0x8013, 10), "");
    EXPECT_EQ(raid_status(0), 3u + 4u);
    EXPECT_EQ(DLLGetLastError(), 0x10001000u);
}

TEST_F(exchange_test, silent_adapter_fails_as_a_system_error)
{
    ASSERT_EQ(sim::set_silent(port_, true), "");
    zan::RaidStatus status{};
    status.status.set(0x1234);
    EXPECT_EQ(getRaidStatus(0, &status), 0);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_SYSTEM | zan::DLL_ERROR_PASSED_UP);
    EXPECT_EQ(plat::last_error(), plat::ERR_SEM_TIMEOUT);
    // The caller's buffer is zeroed before the request.
    EXPECT_EQ(status.status.get(), 0u);
    ASSERT_EQ(sim::set_silent(port_, false), "");
    EXPECT_EQ(raid_status(1), 1u);
}

} // namespace
