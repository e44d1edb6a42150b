// zancli's restore and bad-spot commands: the bad-spot list of a logical
// drive and the restore and delete requests.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "restore_commands.h"

namespace {

zan::BadspotInfo spots(std::uint32_t count, std::initializer_list<std::uint32_t> lbas)
{
    zan::BadspotInfo info{};
    info.count.set(count);
    int at = 0;
    for (const std::uint32_t lba : lbas) info.lba[at++].set(lba);
    return info;
}

using lba_list = std::vector<std::uint32_t>;

TEST(CliBadSpots, MembersMergeIntoOneSortedListWithoutRepeats)
{
    lba_list list;
    cli::merge_bad_spots(list, spots(2, {0x10, 0x20}));
    cli::merge_bad_spots(list, spots(2, {0x20, 0x05}));
    EXPECT_EQ(list, (lba_list{0x05, 0x10, 0x20}));

    // A drive's own repeats count once, and a drive without spots adds none.
    cli::merge_bad_spots(list, spots(3, {0x30, 0x30, 0x01}));
    cli::merge_bad_spots(list, spots(0, {}));
    EXPECT_EQ(list, (lba_list{0x01, 0x05, 0x10, 0x20, 0x30}));
}

TEST(CliBadSpots, OnlyTheListedSlotsCount)
{
    // Slots past the count are zero, yet LBA 0 is a real address when listed.
    lba_list list;
    cli::merge_bad_spots(list, spots(1, {0x00}));
    EXPECT_EQ(list, (lba_list{0x00}));

    // A count beyond the 16 slots reads the 16 and no further.
    zan::BadspotInfo full{};
    full.count.set(40);
    for (int i = 0; i < zan::BAD_SPOT_LIST_SIZE; ++i) full.lba[i].set(static_cast<std::uint32_t>(100 - i));
    list.clear();
    cli::merge_bad_spots(list, full);
    ASSERT_EQ(list.size(), 16u);
    EXPECT_EQ(list.front(), 85u);
    EXPECT_EQ(list.back(), 100u);

    // The end-of-list mark is never an address.
    list.clear();
    cli::merge_bad_spots(list, spots(2, {0xFFFFFFFF, 7}));
    EXPECT_EQ(list, (lba_list{7}));
}

TEST(CliRestore, CandidateStateIsAbsentOutsideTheRecord)
{
    zan::RestoreStatus status{};
    for (auto& state : status.candidate_state) state = zan::ABSENT;
    status.candidate_state[2] = 0x00;
    status.candidate_state[11] = 0x10;
    EXPECT_EQ(cli::candidate_state(status, 2), 0x00);
    EXPECT_EQ(cli::candidate_state(status, 11), 0x10);
    EXPECT_EQ(cli::candidate_state(status, 3), zan::ABSENT);
    EXPECT_EQ(cli::candidate_state(status, 12), zan::ABSENT);
    EXPECT_EQ(cli::candidate_state(status, 255), zan::ABSENT);
}

TEST(CliRestore, RestoreKeepsTheCandidatesCachesUnlessAnOptionSwitchesThemOn)
{
    zan::LogicalDriveInfo candidate{};
    candidate.read_cache = 1;  // no read ahead
    candidate.write_cache = 1; // write through

    const zan::RestoreLDRecord own = cli::restore_request(1, 2, 5, candidate, false, false);
    EXPECT_EQ(own.controller, 1);
    EXPECT_EQ(own.action, 0);
    EXPECT_EQ(own.candidate, 2);
    EXPECT_EQ(own.group, 5);
    EXPECT_EQ(own.must_be_zero, 0);
    EXPECT_EQ(own.no_read_ahead, 1);
    EXPECT_EQ(own.write_through, 1);

    const zan::RestoreLDRecord write_back = cli::restore_request(0, 2, 0, candidate, true, false);
    EXPECT_EQ(write_back.write_through, 0);
    EXPECT_EQ(write_back.no_read_ahead, 1);
    const zan::RestoreLDRecord read_ahead = cli::restore_request(0, 2, 0, candidate, false, true);
    EXPECT_EQ(read_ahead.write_through, 1);
    EXPECT_EQ(read_ahead.no_read_ahead, 0);
}

TEST(CliRestore, DeleteNamesTheCandidateTwice)
{
    const zan::RestoreLDRecord request = cli::delete_request(1, 3);
    EXPECT_EQ(request.controller, 1);
    EXPECT_EQ(request.action, 1);
    EXPECT_EQ(request.candidate, 3);
    EXPECT_EQ(request.group, 3);
    EXPECT_EQ(request.no_read_ahead, 0);
    EXPECT_EQ(request.write_through, 0);
}

} // namespace
