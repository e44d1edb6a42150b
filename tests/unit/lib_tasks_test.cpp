// Background-task state tables, restore-record checks and the bad-spot
// conversion of the library.
#include <gtest/gtest.h>

#include <array>

#include "badspot.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

using raw_list = std::array<std::uint8_t, zan::RAW_BADSPOT_SIZE>;

void put_entry(raw_list& raw, int entry, std::uint32_t lba)
{
    std::uint8_t* at = raw.data() + 24 + entry * 16;
    at[0] = 1;
    at[4] = static_cast<std::uint8_t>(lba >> 24);
    at[5] = static_cast<std::uint8_t>(lba >> 16);
    at[6] = static_cast<std::uint8_t>(lba >> 8);
    at[7] = static_cast<std::uint8_t>(lba);
}

TEST(badspot_conversion, valid_entries_are_packed_in_order)
{
    raw_list raw{};
    raw[0] = 0xA1;
    raw[1] = 1;
    raw[2] = 0xA2;
    raw[3] = 0xA3;
    raw[7] = 2; // count, big-endian
    raw[8] = 0x11;
    raw[15] = 0x22;
    put_entry(raw, 3, 0x00123456);
    put_entry(raw, 7, 0xFEDCBA98);
    const zan::BadspotInfo info = zan::convert_badspot(raw);
    EXPECT_EQ(info.raw0, 0xA1);
    EXPECT_EQ(info.state, 6);
    EXPECT_EQ(info.raw2, 0xA2);
    EXPECT_EQ(info.raw3, 0xA3);
    EXPECT_EQ(info.count.get(), 2u);
    EXPECT_EQ(info.raw8[0], 0x11);
    EXPECT_EQ(info.raw12[3], 0x22);
    EXPECT_EQ(info.lba[0].get(), 0x00123456u);
    EXPECT_EQ(info.lba[1].get(), 0xFEDCBA98u);
    for (int slot = 2; slot < zan::BAD_SPOT_LIST_SIZE; ++slot) EXPECT_EQ(info.lba[slot].get(), 0u) << slot;
}

TEST(badspot_conversion, raw_state_is_read_as_a_signed_byte)
{
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {
        {0x00, 0x00}, {0x01, 0x06}, {0x02, 0x06}, {0x03, 0x16}, {0x7F, 0x16}, {0x80, 0x16}, {0xFF, 0x16}};
    for (const auto& [raw_state, shown] : cases) {
        raw_list raw{};
        raw[1] = raw_state;
        EXPECT_EQ(zan::convert_badspot(raw).state, shown) << int(raw_state);
    }
}

TEST(badspot_conversion, the_last_entry_is_read_within_the_raw_list)
{
    raw_list raw{};
    put_entry(raw, 15, 77);
    EXPECT_EQ(zan::convert_badspot(raw).lba[0].get(), 77u);
}

class task_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        ASSERT_EQ(initContData(0), 1);
        zan::ContInfo info{};
        ASSERT_EQ(getContInfo(0, &info), 1);
        port_ = info.port_number;
        zan::RaidStatus status{};
        ASSERT_EQ(getRaidStatus(0, &status), 1);
        for (int group = 0; group < zan::MAX_GROUPS; ++group) {
            if (status.ld_state[group] == zan::ABSENT) {
                if (absent_ < 0) absent_ = group;
            } else if (present_ < 0) {
                present_ = group;
            }
        }
        ASSERT_GE(present_, 0);
        ASSERT_GE(absent_, 0);
    }

    std::uint64_t requests() const
    {
        std::uint64_t count = 0;
        EXPECT_EQ(sim::request_count(port_, count), "");
        return count;
    }

    zan_test::sim_root root_;
    int port_ = -1;
    int present_ = -1;
    int absent_ = -1;
};

TEST_F(task_test, states_that_need_no_request_answer_without_one)
{
    // An optimal logical drive: no rebuild needed, no maintenance running.
    std::uint64_t before = requests();
    EXPECT_EQ(start_Rebuild(0, present_), 0);
    EXPECT_EQ(DLLGetLastError(), 0x20u);
    EXPECT_EQ(requests() - before, 2u); // RaidStatus and LogicalDriveInfo only

    before = requests();
    EXPECT_EQ(stop_makeParity(0, present_), 1);
    EXPECT_EQ(stop_consistencyCheck(0, present_), 1);
    EXPECT_EQ(requests() - before, 4u);
}

TEST_F(task_test, an_undefined_logical_drive_is_refused_before_reading_it)
{
    const std::uint64_t before = requests();
    EXPECT_EQ(start_consistencyCheck(0, absent_), 0);
    EXPECT_EQ(DLLGetLastError(), 0x40u);
    EXPECT_EQ(requests() - before, 1u);
    EXPECT_EQ(start_makeParity(0, 12), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00080010u);
}

TEST_F(task_test, restore_records_are_checked_before_sending)
{
    zan::RestoreLDRecord record{};
    record.action = 2;
    EXPECT_EQ(configRestoreLD(&record), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);
    record.action = 0;
    record.must_be_zero = 1;
    EXPECT_EQ(configRestoreLD(&record), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);
    record.must_be_zero = 0;
    record.candidate = 12;
    EXPECT_EQ(configRestoreLD(&record), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00080010u);
    record.candidate = 0;
    record.controller = 4;
    EXPECT_EQ(configRestoreLD(&record), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00020010u);
    EXPECT_EQ(configRestoreLD(nullptr), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);
}

TEST_F(task_test, bad_spot_reads_check_the_pointer_before_the_drive)
{
    zan::BadspotInfo info{};
    EXPECT_EQ(getBadspotInfo(0, 12, nullptr), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00100010u);
    EXPECT_EQ(getBadspotInfo(0, 12, &info), 0);
    EXPECT_EQ(DLLGetLastError(), 0x00400010u);
}

} // namespace
