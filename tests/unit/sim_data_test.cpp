// The simulated data path: where logical blocks lie on the members of each
// RAID level, and the blocks a logical drive keeps through a member failure,
// a rebuild, a consistency check and parity making.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../../sim/engine/data_layout.h"
#include "../../sim/engine/data_path.h"
#include "../../sim/engine/drive_scsi.h"
#include "../../sim/engine/model_text.h"
#include "../../sim/engine/store.h"
#include "../../sim/engine/tasks.h"
#include "plat/device.h"
#include "sim/control.h"
#include "sim/device.h"
#include "sim_root.h"

namespace {

using bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t NO = sim::NO_POSITION;

struct place_case {
    std::uint32_t level, members, stripe;
    std::uint64_t lba, member_lba;
    std::uint32_t data, copy, parity;
};

constexpr place_case PLACES[] = {
    // RAID 0: one drive without a stripe, then three drives by 128 blocks.
    {0, 1, 0, 123456, 123456, 0, NO, NO},
    {0, 3, 128, 127, 127, 0, NO, NO},
    {0, 3, 128, 128, 0, 1, NO, NO},
    {0, 3, 128, 500, 244, 0, NO, NO},
    // RAID 1 mirrors block for block; RAID 10 stripes over its pairs.
    {1, 2, 128, 1000, 1000, 0, 1, NO},
    {1, 4, 128, 130, 2, 2, 3, NO},
    {1, 4, 128, 256, 128, 0, 1, NO},
    {1, 6, 64, 64 * 5 + 7, 64 + 7, 4, 5, NO},
    // RAID 5: parity on the last member in row 0, moving back a member a row.
    {5, 3, 128, 0, 0, 0, NO, 2},
    {5, 3, 128, 128, 0, 1, NO, 2},
    {5, 3, 128, 256, 128, 2, NO, 1},
    {5, 3, 128, 384, 128, 0, NO, 1},
    {5, 3, 128, 512, 256, 1, NO, 0},
    {5, 4, 256, 768 + 5, 261, 3, NO, 2},
};

sim::logical_drive logical(std::uint32_t level, std::uint32_t members, std::uint32_t stripe)
{
    sim::logical_drive ld;
    ld.defined = true;
    ld.raid_level = level;
    ld.stripe_blocks = stripe;
    for (std::uint32_t m = 0; m < members; ++m) ld.members.push_back({m, sim::ROLE_DATA});
    return ld;
}

TEST(sim_data, blocks_lie_on_the_members_by_level_and_stripe)
{
    for (const place_case& c : PLACES) {
        const sim::block_place p = sim::place_block(sim::geometry_of(logical(c.level, c.members, c.stripe)), c.lba);
        SCOPED_TRACE("level " + std::to_string(c.level) + " x" + std::to_string(c.members) + " lba " +
                     std::to_string(c.lba));
        EXPECT_EQ(p.member_lba, c.member_lba);
        EXPECT_EQ(p.data, c.data);
        EXPECT_EQ(p.copy, c.copy);
        EXPECT_EQ(p.parity, c.parity);
    }
}

TEST(sim_data, no_two_logical_blocks_share_a_member_block_and_parity_holds_none)
{
    for (const place_case& c : PLACES) {
        const sim::raid_geometry g = sim::geometry_of(logical(c.level, c.members, c.stripe));
        std::set<std::pair<std::uint32_t, std::uint64_t>> used;
        for (std::uint64_t lba = 0; lba < 4096; ++lba) {
            const sim::block_place p = sim::place_block(g, lba);
            ASSERT_LT(p.data, c.members);
            ASSERT_NE(p.data, p.parity);
            ASSERT_TRUE(used.insert({p.data, p.member_lba}).second) << "level " << c.level << " lba " << lba;
            if (p.parity != NO) {
                ASSERT_EQ(p.parity, sim::parity_position(g, p.member_lba));
            }
        }
    }
}

class data_root : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zan-data-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directories(sim::adapters_dir(root));
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    // RAID 5 on drives 0-2 (logical 0, stripe 128 blocks), RAID 10 on 3-6 (logical
    // 1, stripe 256 blocks), drive 7 free; drives of 1 MB.
    static sim::adapter machine()
    {
        std::string text = "[adapter 0]\n";
        for (int d = 0; d < 8; ++d) text += "[drive " + std::to_string(d) + "]\nsize_mb = 1\n";
        text += "[logical 0]\nlevel = 5\nmembers = 0 1 2\nstripe = 64k\n"
                "[logical 1]\nlevel = 1\nmembers = 3 4 5 6\nstripe = 128k\n";
        sim::adapter a;
        EXPECT_EQ(sim::parse_adapter(text, a), "");
        return a;
    }

    static bytes pattern(std::size_t blocks, std::uint8_t seed)
    {
        bytes b(blocks * sim::BLOCK_BYTES);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + seed + i / 512);
        return b;
    }

    bytes read(const sim::adapter& a, std::size_t number, std::uint64_t lba, std::size_t blocks)
    {
        sim::block_store store(root, a.port);
        bytes out(blocks * sim::BLOCK_BYTES);
        EXPECT_EQ(sim::read_logical(a, number, store, lba, out), sim::data_status::ok);
        return out;
    }

    void write(sim::adapter& a, std::size_t number, std::uint64_t lba, const bytes& in)
    {
        sim::block_store store(root, a.port);
        ASSERT_EQ(sim::write_logical(a, number, store, lba, in), sim::data_status::ok);
        ASSERT_TRUE(store.commit()) << store.error();
    }

    // A rebuild of logical drive `number` onto `target` in place of member
    // `index`, carried from 0 to 100 percent in two steps.
    void rebuild(sim::adapter& a, std::size_t number, std::size_t index, std::uint32_t target)
    {
        sim::logical_drive& ld = a.logicals[number];
        ld.members[index] = {target, sim::ROLE_SPARE_IN_USE};
        ld.rebuild = sim::REBUILD_EXECUTING;
        ld.progress = 0;
        a.drives[target].state = sim::DRIVE_REBUILDING;
        sim::adapter half = a;
        half.logicals[number].progress = 50;
        ASSERT_EQ(sim::carry_out_data_work(root, a, half), "");
        sim::adapter done = half;
        done.logicals[number].rebuild = sim::REBUILD_NOT_NEEDED;
        done.logicals[number].progress = 100;
        done.drives[target].state = sim::DRIVE_GOOD;
        ASSERT_EQ(sim::carry_out_data_work(root, half, done), "");
        a = done;
    }

    // The inconsistencies a check (or parity making) of logical drive
    // `number` starts out with.
    std::uint32_t start(sim::adapter& a, std::size_t number, std::uint32_t kind)
    {
        sim::adapter after = a;
        after.logicals[number].maintenance = kind;
        EXPECT_EQ(sim::carry_out_data_work(root, a, after), "");
        return after.logicals[number].inconsistencies;
    }

    std::string root;
};

TEST_F(data_root, data_survives_a_member_failure_and_a_rebuild_and_is_lost_with_a_second_raid5_failure)
{
    sim::adapter a = machine();
    const bytes five = pattern(700, 3);
    const bytes ten = pattern(300, 9);
    write(a, 0, 5, five);
    write(a, 1, 100, ten);
    EXPECT_EQ(read(a, 0, 5, 700), five);

    // Degraded: RAID 5 rebuilds blocks from parity, RAID 10 reads the mirror;
    // writes while degraded keep parity right for the rebuild.
    a.drives[1].state = 0x20;
    a.drives[3].state = 0x20;
    EXPECT_EQ(read(a, 0, 5, 700), five);
    EXPECT_EQ(read(a, 1, 100, 300), ten);
    const bytes patch = pattern(40, 77);
    write(a, 0, 200, patch);
    bytes expected = five;
    std::copy(patch.begin(), patch.end(), expected.begin() + (200 - 5) * 512);

    rebuild(a, 0, 1, 7);
    a.drives[0].state = 0x20; // now the rebuilt drive has to carry its share
    EXPECT_EQ(read(a, 0, 5, 700), expected);
    a.drives[0].state = sim::DRIVE_GOOD;

    a.drives[7].state = 0x20;
    a.drives[2].state = 0x20;
    sim::block_store store(root, a.port);
    bytes out(512);
    EXPECT_EQ(sim::read_logical(a, 0, store, 5, out), sim::data_status::no_access);
    EXPECT_EQ(sim::read_logical(a, 1, store, 2048 * 2, out), sim::data_status::out_of_range);
    EXPECT_EQ(sim::write_logical(a, 1, store, 2048 * 2 - 1, bytes(1024)), sim::data_status::out_of_range);
}

TEST_F(data_root, a_check_counts_a_block_written_past_the_array_and_parity_making_repairs_it)
{
    sim::adapter a = machine();
    write(a, 0, 0, pattern(600, 1));
    write(a, 1, 0, pattern(200, 2));
    EXPECT_EQ(start(a, 0, sim::MAINTENANCE_CHECK), 0U);
    {
        // Straight onto one member each, as a drive-level WRITE(10) does.
        sim::block_store store(root, a.port);
        sim::block b{};
        b.fill(0xEE);
        store.write(1, 10, b);
        store.write(1, 300, b);
        store.write(4, 3, b);
        ASSERT_TRUE(store.commit());
    }
    a.logicals[0].inconsistencies = 1; // an injected count below what the data shows
    EXPECT_EQ(start(a, 0, sim::MAINTENANCE_CHECK), 2U);
    EXPECT_EQ(start(a, 1, sim::MAINTENANCE_CHECK), 1U);
    EXPECT_EQ(start(a, 0, sim::MAINTENANCE_PARITY), 2U);
    EXPECT_EQ(start(a, 1, sim::MAINTENANCE_PARITY), 1U);
    a.logicals[0].inconsistencies = 0;
    a.logicals[1].inconsistencies = 0;
    EXPECT_EQ(start(a, 0, sim::MAINTENANCE_CHECK), 0U);
    EXPECT_EQ(start(a, 1, sim::MAINTENANCE_CHECK), 0U);
}

TEST_F(data_root, a_medium_error_is_read_around_until_a_rebuild_meets_it_and_lists_a_bad_spot)
{
    sim::adapter a = machine();
    const bytes five = pattern(300, 4);
    const bytes ten = pattern(20, 6);
    write(a, 0, 0, five);
    write(a, 1, 0, ten);
    // RAID 5 block 5 lies on drive 0; RAID 10 block 3 on drives 3 and 4.
    a.drives[0].medium_error_lbas = {5};
    a.drives[3].medium_error_lbas = {3};
    EXPECT_EQ(read(a, 0, 0, 300), five);
    EXPECT_EQ(read(a, 1, 0, 20), ten);

    // Drive 3's partner fails: block 3 is lost, and the rebuild onto drive 7
    // cannot make it.
    a.drives[4].state = 0x20;
    {
        sim::block_store store(root, a.port);
        bytes out(4 * sim::BLOCK_BYTES);
        std::uint64_t where = 0;
        EXPECT_EQ(sim::read_logical(a, 1, store, 0, out, &where), sim::data_status::medium_error);
        EXPECT_EQ(where, 3U);
    }
    rebuild(a, 1, 1, 7);
    EXPECT_EQ(a.drives[7].bad_spots, (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(a.drives[7].medium_error_lbas, (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(a.events.size(), 1U);
    EXPECT_EQ(read(a, 1, 4, 16), bytes(ten.begin() + 4 * 512, ten.end()));

    // Written again, the block is whole on both drives.
    write(a, 1, 3, bytes(512, 0x33));
    EXPECT_TRUE(a.drives[3].medium_error_lbas.empty());
    EXPECT_TRUE(a.drives[7].medium_error_lbas.empty());
}

TEST_F(data_root, drive_reads_and_writes_reach_its_own_blocks_up_to_its_end)
{
    sim::adapter a = machine();
    sim::block_store store(root, a.port);
    const bytes data = pattern(2, 5);
    const bytes write10 = {0x2A, 0, 0, 0, 0x07, 0xFE, 0, 0, 2, 0}; // the last two blocks of 1 MB
    EXPECT_EQ(sim::drive_command(a, 7, write10, {}, data, &store).status, 0);
    struct {
        bytes cdb;
        std::uint8_t status, asc;
    } const cases[] = {
        {{0x28, 0, 0, 0, 0x07, 0xFE, 0, 0, 2, 0}, 0, 0},
        {{0x28, 0, 0, 0, 0x07, 0xFF, 0, 0, 2, 0}, 2, sim::ASC_LBA_OUT_OF_RANGE},
        {{0x2A, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0}, 2, sim::ASC_LBA_OUT_OF_RANGE},
        {{0x28, 0, 0, 0, 0, 0, 0, 0, 3, 0}, 2, sim::ASC_INVALID_FIELD_IN_CDB}, // more than the buffer
    };
    for (const auto& c : cases) {
        bytes in(1024);
        const std::span<std::uint8_t> to = c.cdb[0] == 0x28 ? std::span<std::uint8_t>(in) : std::span<std::uint8_t>();
        const sim::drive_reply r = sim::drive_command(a, 7, c.cdb, to, data, &store);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.sense[12], c.asc);
        if (c.status == 0) {
            EXPECT_EQ(in, data);
        }
    }
}

TEST_F(data_root, a_write_long_with_a_bad_ecc_plants_a_medium_error_that_read_reports_and_a_write_clears)
{
    sim::adapter a = machine();
    sim::block_store store(root, a.port);
    bytes in(sim::LONG_BLOCK_BYTES);
    // Asked for 512 bytes, the drive tells the long-block length: 512 + 256 - byte 6.
    sim::drive_reply r = sim::drive_command(a, 7, bytes{0x3E, 0, 0, 0, 1, 0, 0, 0x02, 0x00, 0}, in, {}, &store);
    ASSERT_EQ(r.status, 2);
    EXPECT_EQ(r.sense[0], 0xF0);
    EXPECT_EQ(r.sense[2], 0x25);
    EXPECT_EQ(512 + 256 - r.sense[6], static_cast<int>(sim::LONG_BLOCK_BYTES));

    const bytes spoiled(sim::LONG_BLOCK_BYTES, 0xFF);
    const bytes write_long = {0x3F, 0, 0, 0, 0, 9, 0, 0x02, 0x28, 0};
    EXPECT_EQ(sim::drive_command(a, 7, write_long, {}, spoiled, &store).status, 0);
    bytes blocks(4 * 512);
    r = sim::drive_command(a, 7, bytes{0x28, 0, 0, 0, 0, 7, 0, 0, 4, 0}, blocks, {}, &store);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.transferred, 2 * 512U);
    EXPECT_EQ((std::vector<int>{r.sense[0], r.sense[2], r.sense[6], r.sense[12], r.sense[13]}),
              (std::vector<int>{0xF0, 0x03, 9, 0x11, 0}));

    // READ LONG hands back a long block whose ECC, written back, is good.
    EXPECT_EQ(sim::drive_command(a, 7, bytes{0x3E, 0, 0, 0, 0, 8, 0, 0x02, 0x28, 0}, in, {}, &store).status, 0);
    EXPECT_EQ(sim::drive_command(a, 7, write_long, {}, in, &store).status, 0);
    EXPECT_EQ(sim::drive_command(a, 7, bytes{0x28, 0, 0, 0, 0, 7, 0, 0, 4, 0}, blocks, {}, &store).status, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(blocks.begin() + 1024, blocks.begin() + 1536), bytes(512, 0));

    const bytes zero(1024);
    EXPECT_EQ(sim::drive_command(a, 7, write_long, {}, spoiled, &store).status, 0);
    EXPECT_EQ(sim::drive_command(a, 7, bytes{0x2A, 0, 0, 0, 0, 9, 0, 0, 1, 0}, {}, zero, &store).status, 0);
    EXPECT_TRUE(a.drives[7].medium_error_lbas.empty());
}

// Plain READ(10) and WRITE(10) through the RAID disk of the demo machine's
// port 3 reach the logical drive the SCSI target names.
TEST(sim_data_disk, plain_reads_and_writes_reach_the_targeted_logical_drive)
{
    zan_test::sim_root root;
    ASSERT_EQ(sim::create_root(sim::demo_scenario()), "");
    sim::device_ref port;
    ASSERT_EQ(sim::open_device("\\\\.\\Scsi3:", port), 0U);
    const auto send = [&](std::uint8_t target, bytes cdb, plat::scsi_direction direction, bytes& data) {
        std::uint8_t sense[18] = {};
        plat::scsi_request request;
        request.cdb = cdb;
        request.direction = direction;
        request.data = data;
        request.sense = sense;
        request.target_id = target;
        plat::scsi_result result;
        EXPECT_EQ(sim::device_pass_through(port, request, result), 0U);
        return result.status == 0 ? 0U : std::uint32_t{sense[2]} << 16 | sense[12] << 8 | sense[13];
    };
    using dir = plat::scsi_direction;
    bytes written = {};
    for (int i = 0; i < 1024; ++i) written.push_back(static_cast<std::uint8_t>(i * 13));
    bytes data = written;
    EXPECT_EQ(send(0, {0x2A, 0, 0, 0, 0x03, 0xE8, 0, 0, 2, 0}, dir::out, data), 0U);
    bytes back(1024);
    EXPECT_EQ(send(0, {0x28, 0, 0, 0, 0x03, 0xE8, 0, 0, 2, 0}, dir::in, back), 0U);
    EXPECT_EQ(back, written);
    EXPECT_EQ(send(1, {0x28, 0, 0, 0, 0x03, 0xE8, 0, 0, 2, 0}, dir::in, back), 0U);
    EXPECT_NE(back, written); // another logical drive's blocks

    struct {
        std::uint8_t target;
        bytes cdb;
        dir direction;
        std::uint32_t sense;
    } const refused[] = {
        {0, {0x28, 0, 0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0x02, 0}, dir::in, 0x052100},
        {7, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, dir::in, 0x052500},
        {0, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, dir::out, 0x052400},
        {0, {0x28, 0, 0, 0, 0, 0, 0, 0, 3, 0}, dir::in, 0x052400},
    };
    for (const auto& c : refused) EXPECT_EQ(send(c.target, c.cdb, c.direction, back), c.sense);

    ASSERT_EQ(sim::fail_drive(3, 4), "");
    EXPECT_EQ(send(1, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, dir::in, back), 0x020403U); // RAID 0 lost a member
    EXPECT_EQ(send(0, {0x28, 0, 0, 0, 0x03, 0xE8, 0, 0, 2, 0}, dir::in, back), 0U);
    EXPECT_EQ(back, written);
}

} // namespace
