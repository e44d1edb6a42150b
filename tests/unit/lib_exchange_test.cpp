// The request exchange against the simulated adapter's fault injection:
// busy answers, failure statuses, failed sends and retries, through the
// library and under each sender's rule.
#include <gtest/gtest.h>

#include <string>

#include "exchange.h"
#include "plat/device.h"

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

// The exchange itself under each sender's retry rule, on a port device of the
// simulated adapter. Failed sends come from a silent adapter that the resend
// hook makes answer again after a number of sends.
namespace {

constexpr std::uint32_t ALWAYS = 0xFFFFFFFF;

struct rule_case {
    const char* name;
    const zan::retry_rule& rule;
    std::uint32_t failed_sends; // sends the silent adapter lets fail first
    std::uint32_t busy;         // then busy answers
    std::uint16_t status;       // then this status ...
    std::uint32_t status_count; // ... this many times, then good answers
    zan::exchange_end end;
    std::uint32_t sends;
};

constexpr rule_case RULE_CASES[] = {
    {"library: a failed send is final", zan::LIBRARY_SENDER.rule, 1, 0, 0, 0, zan::exchange_end::send_failed, 1},
    {"log tool: a failed send is final", zan::LOG_SENDER.rule, 1, 0, 0, 0, zan::exchange_end::send_failed, 1},
    {"service: failed sends are repeated five times", zan::SERVICE_SENDER.rule, ALWAYS, 0, 0, 0,
     zan::exchange_end::send_failed, 6},
    {"service: failed sends and statuses share the count", zan::SERVICE_SENDER.rule, 2, 0, 0x8013, 3,
     zan::exchange_end::good, 6},
    {"service: one failure more exhausts it", zan::SERVICE_SENDER.rule, 2, 0, 0x8013, 4,
     zan::exchange_end::attempts_exhausted, 6},
    {"service: IOC_STATUS_FAILURE is repeated", zan::SERVICE_SENDER.rule, 0, 0, 0x8005, 10,
     zan::exchange_end::attempts_exhausted, 6},
    {"service: busy answers are counted apart", zan::SERVICE_SENDER.rule, 0, 3, 0x8013, 5, zan::exchange_end::good,
     9},
    {"log tool: busy answers are counted apart", zan::LOG_SENDER.rule, 0, 3, 0x8013, 6,
     zan::exchange_end::attempts_exhausted, 9},
    {"download: IOC_STATUS_FAILURE five times, then good", zan::DOWNLOAD_SENDER.rule, 0, 0, 0x8005, 5,
     zan::exchange_end::good, 6},
};

class sender_rule_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        ASSERT_EQ(initContData(0), 1);
        zan::ContInfo info{};
        ASSERT_EQ(getContInfo(0, &info), 1);
        port_ = info.port_number;
        ASSERT_EQ(finContData(), 1);
        const std::string path = "\\\\.\\Scsi" + std::to_string(port_) + ":";
        ASSERT_TRUE(device_.open(path.c_str()));
        buffer_[zan::ENVELOPE_HEADER_LENGTH] = 0xFF;
        zan::fill_envelope(buffer_, zan::SERVICE_SENDER, zan::IOCTL_KRAID_GET_CONTROLLER_INFO, RECORD);
    }

    static constexpr std::uint32_t RECORD = 84;
    static constexpr std::uint32_t STATUS_AT = 10;
    zan_test::sim_root root_;
    int port_ = -1;
    plat::device device_;
    std::uint8_t buffer_[zan::ENVELOPE_HEADER_LENGTH + RECORD] = {};
};

TEST_F(sender_rule_test, each_rule_counts_sends_busy_answers_and_failures)
{
    for (const rule_case& c : RULE_CASES) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(sim::clear_faults(port_), "");
        ASSERT_EQ(sim::set_silent(port_, c.failed_sends > 0), "");
        if (c.busy > 0) {
            ASSERT_EQ(sim::inject_busy(port_, c.busy), "");
        }
        if (c.status_count > 0) {
            ASSERT_EQ(sim::inject_status(port_, c.status, c.status_count), "");
        }
        std::uint32_t resends = 0;
        const zan::exchange_result result =
            zan::run_exchange(device_, buffer_, STATUS_AT, c.rule, [&](std::span<std::uint8_t>) {
                if (++resends == c.failed_sends) {
                    EXPECT_EQ(sim::set_silent(port_, false), "");
                }
            });
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(result.sends, c.sends);
        EXPECT_EQ(resends, c.sends - 1);
        if (c.end == zan::exchange_end::send_failed) {
            EXPECT_EQ(result.os_error, plat::ERR_SEM_TIMEOUT);
        }
    }
}

TEST_F(sender_rule_test, the_resend_hook_rewrites_the_request_before_it_goes_again)
{
    // A spoilt signature is refused with IOC_STATUS_FAILURE; the hook puts
    // the right one back and the repeat succeeds.
    buffer_[4] = 'X';
    int calls = 0;
    const zan::exchange_result result =
        zan::run_exchange(device_, buffer_, STATUS_AT, zan::LOG_SENDER.rule, [&](std::span<std::uint8_t> buffer) {
            ++calls;
            zan::fill_envelope(buffer, zan::LOG_SENDER, zan::IOCTL_KRAID_GET_CONTROLLER_INFO, RECORD);
        });
    EXPECT_EQ(result.end, zan::exchange_end::good);
    EXPECT_EQ(result.sends, 2u);
    EXPECT_EQ(calls, 1);
}

TEST_F(sender_rule_test, a_buffer_that_ends_before_the_status_word_is_never_sent)
{
    std::uint64_t before = 0;
    ASSERT_EQ(sim::request_count(port_, before), "");
    for (const std::size_t size : {0u, 10u, zan::ENVELOPE_HEADER_LENGTH + STATUS_AT + 1}) {
        std::uint8_t small[zan::ENVELOPE_HEADER_LENGTH + STATUS_AT + 1] = {};
        const std::span<std::uint8_t> buffer(small, size);
        zan::fill_envelope(buffer, zan::LIBRARY_SENDER, zan::IOCTL_KRAID_GET_CONTROLLER_INFO, RECORD);
        const zan::exchange_result result = zan::run_exchange(device_, buffer, STATUS_AT, zan::SERVICE_SENDER.rule);
        EXPECT_EQ(result.end, zan::exchange_end::short_buffer) << size;
        EXPECT_EQ(result.sends, 0u) << size;
    }
    std::uint64_t after = 0;
    ASSERT_EQ(sim::request_count(port_, after), "");
    EXPECT_EQ(after, before);
}

} // namespace
