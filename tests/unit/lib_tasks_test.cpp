// Background-task state tables, restore-record checks and the bad-spot
// conversion of the library.
#include <gtest/gtest.h>

#include <array>

#include "../../sim/engine/store.h"
#include "badspot.h"
#include "sim/control.h"
#include "sim/root.h"
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

// The "one" machine: RAID 1 on drives 0 and 1 (logical drive 0), spare 2,
// free drive 3; its adapter on port 2.
class tasks_on_adapter : public task_test {
protected:
    sim::adapter state() const
    {
        sim::adapter a;
        EXPECT_EQ(sim::load_adapter(root_.path(), 2, a), "");
        return a;
    }
    zan::LogicalDriveInfo logical(int group) const
    {
        zan::LogicalDriveInfo info{};
        EXPECT_EQ(getLogicalDriveInfo(0, group, &info), 1);
        return info;
    }
};

TEST_F(tasks_on_adapter, checks_and_parity_making_start_progress_and_stop)
{
    ASSERT_EQ(sim::set_clock(1'000'000), "");
    ASSERT_EQ(start_consistencyCheck(0, 0), 1) << std::hex << DLLGetLastError();
    EXPECT_EQ(logical(0).maintenance_state, 1);
    ASSERT_EQ(sim::advance_clock(37'000), "");
    EXPECT_EQ(logical(0).progress, 37);
    EXPECT_EQ(start_makeParity(0, 0), 0);
    EXPECT_EQ(DLLGetLastError(), 0x22u);
    ASSERT_EQ(stop_consistencyCheck(0, 0), 1);
    EXPECT_EQ(logical(0).maintenance_state, 0);

    ASSERT_EQ(start_makeParity(0, 0), 1);
    EXPECT_EQ(stop_consistencyCheck(0, 0), 0);
    EXPECT_EQ(DLLGetLastError(), 0x21u);
    ASSERT_EQ(stop_makeParity(0, 0), 1);
    EXPECT_EQ(logical(0).maintenance_state, 0);

    // The adapter's own refusal: a degraded drive cannot be checked.
    ASSERT_EQ(sim::pull_drive(2, 2), "");
    ASSERT_EQ(sim::pull_drive(2, 1), "");
    EXPECT_EQ(start_consistencyCheck(0, 0), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10001000u);
}

TEST_F(tasks_on_adapter, a_drive_that_needs_a_rebuild_is_rebuilt_on_request)
{
    ASSERT_EQ(setAutoRebuild(0, 0, 0), 1);
    ASSERT_EQ(sim::set_clock(1'000'000), "");
    ASSERT_EQ(sim::fail_drive(2, 1), "");
    EXPECT_EQ(logical(0).rebuild_state, 1);
    ASSERT_EQ(start_Rebuild(0, 0), 1) << std::hex << DLLGetLastError();
    EXPECT_EQ(logical(0).rebuild_state, 2);
    ASSERT_EQ(sim::advance_clock(100'000), "");
    const zan::LogicalDriveInfo done = logical(0);
    EXPECT_EQ(done.rebuild_state, 0);
    EXPECT_EQ(done.progress, 100);
    zan::RaidStatus status{};
    ASSERT_EQ(getRaidStatus(0, &status), 1);
    EXPECT_EQ(status.hdd_state[1], 0);
    EXPECT_EQ(status.ld_state[0], 0);
}

TEST_F(tasks_on_adapter, a_candidate_is_restored_and_another_deleted)
{
    std::uint32_t number = 0;
    ASSERT_EQ(sim::add_restore_candidate(2, 0, {3}, number), "");
    zan::RestoreStatus status{};
    ASSERT_EQ(getRestoreLDsts(0, &status), 1);
    EXPECT_EQ(status.candidate_count, 1);
    EXPECT_EQ(status.candidate_state[0], 0);
    EXPECT_EQ(status.candidate_state[1], 0xFF);
    zan::LogicalDriveInfo info{};
    ASSERT_EQ(getRestoreLDInfo(0, 0, &info), 1);
    EXPECT_EQ(info.member_count, 1);
    EXPECT_EQ(info.members[0].hdd, 3);

    zan::RestoreLDRecord record{};
    record.candidate = 0;
    record.group = 4;
    record.write_through = 1;
    ASSERT_EQ(configRestoreLD(&record), 1) << std::hex << DLLGetLastError();
    EXPECT_EQ(record.status.get(), 0u);
    EXPECT_TRUE(state().logicals[4].defined);
    EXPECT_EQ(logical(4).write_cache, 1);

    ASSERT_EQ(sim::pull_drive(2, 2), "");
    ASSERT_EQ(sim::insert_drive(2, 2, {}), "");
    ASSERT_EQ(sim::add_restore_candidate(2, 0, {2}, number), "");
    zan::RestoreLDRecord remove{};
    remove.action = 1;
    remove.candidate = static_cast<std::uint8_t>(number);
    remove.group = static_cast<std::uint8_t>(number);
    ASSERT_EQ(configRestoreLD(&remove), 1);
    ASSERT_EQ(getRestoreLDsts(0, &status), 1);
    EXPECT_EQ(status.candidate_count, 0);
    EXPECT_EQ(configRestoreLD(&remove), 0) << "no such candidate any more";
}

TEST_F(tasks_on_adapter, bad_spots_of_a_drive_come_back_in_order)
{
    ASSERT_EQ(sim::add_bad_spots(2, 1, {0x20, 0x05, 0xFFFFFFF0}), "");
    zan::BadspotInfo info{};
    ASSERT_EQ(getBadspotInfo(0, 1, &info), 1) << std::hex << DLLGetLastError();
    EXPECT_EQ(info.state, 6);
    EXPECT_EQ(info.count.get(), 3u);
    EXPECT_EQ(info.lba[0].get(), 0x20u);
    EXPECT_EQ(info.lba[1].get(), 0x05u);
    EXPECT_EQ(info.lba[2].get(), 0xFFFFFFF0u);
    EXPECT_EQ(info.lba[3].get(), 0u);
    ASSERT_EQ(getBadspotInfo(0, 0, &info), 1);
    EXPECT_EQ(info.state, 0);
    EXPECT_EQ(info.count.get(), 0u);
}

} // namespace
