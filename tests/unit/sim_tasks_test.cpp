// The simulated firmware's background work on the clock, automatic rebuilds,
// restore candidates, bad-spot lists and the flash ROM download.
#include <gtest/gtest.h>

#include <vector>

#include "../../sim/engine/clock.h"
#include "../../sim/engine/diagnostics.h"
#include "../../sim/engine/dispatch.h"
#include "../../sim/engine/flash.h"
#include "../../sim/engine/model_text.h"
#include "../../sim/engine/operations.h"
#include "../../sim/engine/raid.h"
#include "../../sim/engine/records.h"
#include "../../sim/engine/store.h"
#include "../../sim/engine/tasks.h"
#include "sim/control.h"
#include "sim/root.h"
#include "sim_root.h"
#include "zanioctl.h"

namespace {

using bytes = std::vector<std::uint8_t>;

// Controller id 1, tasks of 100 s at High: RAID 5 on 0-2 (logical 0), RAID 0
// on 3 (logical 1), a global hot spare 4, a free drive 5.
sim::adapter machine(const std::string& extra = "")
{
    std::string text = "[adapter 2]\ncontroller_id = 1\ntask_seconds = 100\n";
    for (int d = 0; d < 6; ++d) text += "[drive " + std::to_string(d) + "]\n" + (d == 4 ? "spare = yes\n" : "");
    text += "[logical 0]\nlevel = 5\nmembers = 0 1 2\n[logical 1]\nlevel = 0\nmembers = 3\nstripe = none\n" + extra;
    sim::adapter a;
    EXPECT_EQ(sim::parse_adapter(text, a), "");
    return a;
}

std::uint16_t send(sim::adapter& a, std::uint32_t code, bytes& record)
{
    return sim::answer_request(a, code, record);
}

std::uint16_t recover(sim::adapter& a, std::uint8_t logical, std::uint8_t action)
{
    bytes r(24, 0);
    r[0] = 1;
    r[1] = r[2] = logical;
    r[3] = action;
    return send(a, zan::IOCTL_KRAID_CONFIG_FAULT_RECOVERY, r);
}

constexpr std::uint8_t CHECK = 1;
constexpr std::uint8_t PARITY = 2;
constexpr std::uint8_t REBUILD = 3;
constexpr std::uint8_t STOP = 5;
constexpr std::uint64_t T0 = 1'000'000;

TEST(sim_tasks, a_check_advances_with_the_clock_at_the_priority_rate_and_counts_what_it_finds)
{
    sim::adapter a = machine();
    a.logicals[0].inconsistencies = 10;
    sim::advance_tasks(a, T0);
    ASSERT_EQ(recover(a, 0, CHECK), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::build_logical_info(a, 0).maintenance_state, 1);

    // High: 100 s for the whole task; progress is the same in one step or many.
    sim::advance_tasks(a, T0 + 37'000);
    EXPECT_EQ(a.logicals[0].progress, 37u);
    EXPECT_EQ(a.logicals[0].errors, 3u);
    for (int i = 1; i <= 13; ++i) sim::advance_tasks(a, T0 + 37'000 + i * 1'000);
    EXPECT_EQ(a.logicals[0].progress, 50u);

    // Low priority works at a quarter of the speed.
    a.rebuild_priority_idle = 3;
    sim::advance_tasks(a, T0 + 90'000);
    EXPECT_EQ(a.logicals[0].progress, 60u);
    a.rebuild_priority_idle = 1;
    sim::advance_tasks(a, T0 + 500'000);
    EXPECT_EQ(a.logicals[0].maintenance, 0u);
    EXPECT_EQ(a.logicals[0].progress, 100u);
    EXPECT_EQ(a.logicals[0].errors, 10u);
    EXPECT_EQ(a.logicals[0].inconsistencies, 10u) << "a check repairs nothing";

    ASSERT_EQ(recover(a, 0, PARITY), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(a.logicals[0].progress, 0u);
    sim::advance_tasks(a, T0 + 700'000);
    EXPECT_EQ(a.logicals[0].errors, 10u);
    EXPECT_EQ(a.logicals[0].inconsistencies, 0u) << "parity making rewrites the parity";

    // A clock that goes back only sets the new starting point.
    ASSERT_EQ(recover(a, 0, CHECK), zan::IOC_STATUS_GOOD);
    sim::advance_tasks(a, T0);
    sim::advance_tasks(a, T0 + 1'000);
    EXPECT_EQ(a.logicals[0].progress, 1u);
}

TEST(sim_tasks, starts_and_stops_are_refused_where_a_controller_refuses_them)
{
    sim::adapter a = machine();
    EXPECT_EQ(recover(a, 1, CHECK), zan::IOC_STATUS_PARITY_CHK_FAILED) << "RAID 0 has no parity";
    EXPECT_EQ(recover(a, 1, PARITY), zan::IOC_STATUS_PARITY_WRT_FAILED);
    EXPECT_EQ(recover(a, 1, REBUILD), zan::IOC_STATUS_REBUILD_FAILED);
    EXPECT_EQ(recover(a, 0, REBUILD), zan::IOC_STATUS_REBUILD_FAILED) << "nothing to rebuild";
    EXPECT_EQ(recover(a, 0, STOP), zan::IOC_STATUS_CANCEL_PARITY_FAILED) << "nothing to stop";
    EXPECT_EQ(recover(a, 5, CHECK), zan::IOC_STATUS_FAILURE) << "not defined";
    EXPECT_EQ(recover(a, 0, 4), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(recover(a, 12, CHECK), zan::IOC_STATUS_INVALID_PARAM);

    ASSERT_EQ(recover(a, 0, CHECK), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(recover(a, 0, CHECK), zan::IOC_STATUS_GOOD) << "already running";
    EXPECT_EQ(recover(a, 0, PARITY), zan::IOC_STATUS_PARITY_WRT_FAILED);
    ASSERT_EQ(recover(a, 0, STOP), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(a.logicals[0].maintenance, 0u);

    // A degraded logical drive cannot be checked.
    a.logicals[0].auto_rebuild = 1;
    sim::set_drive_state(a, 1, sim::DRIVE_FAILED);
    EXPECT_EQ(recover(a, 0, CHECK), zan::IOC_STATUS_PARITY_CHK_FAILED);
}

TEST(sim_tasks, a_failed_member_is_replaced_by_the_global_spare_and_rebuilt_to_optimal)
{
    sim::adapter a = machine();
    sim::advance_tasks(a, T0);
    ASSERT_EQ(recover(a, 0, CHECK), zan::IOC_STATUS_GOOD);
    sim::set_drive_state(a, 1, sim::DRIVE_FAILED);

    // The check stops; spare 4 takes position 1 and is rebuilt at once.
    const sim::logical_drive& ld = a.logicals[0];
    EXPECT_EQ(ld.maintenance, 0u);
    EXPECT_EQ(ld.rebuild, 2u);
    ASSERT_EQ(ld.members.size(), 3u);
    EXPECT_EQ(ld.members[1], (sim::member{4, sim::ROLE_SPARE_IN_USE}));
    EXPECT_EQ(a.drives[4].global_spare, 0u);
    EXPECT_EQ(a.drives[4].state, sim::DRIVE_REBUILDING);
    EXPECT_EQ(sim::drive_class(a, 4), sim::CLASS_MEMBER_USE);
    EXPECT_EQ(sim::drive_class(a, 1), sim::CLASS_FRESH);
    EXPECT_EQ(sim::logical_state(a, 0), sim::LD_REBUILDING);

    sim::advance_tasks(a, T0 + 50'000);
    EXPECT_EQ(ld.progress, 50u);
    sim::advance_tasks(a, T0 + 100'000);
    EXPECT_EQ(ld.rebuild, 0u);
    EXPECT_EQ(ld.progress, 100u);
    EXPECT_EQ(a.drives[4].state, sim::DRIVE_GOOD);
    EXPECT_EQ(sim::logical_state(a, 0), sim::LD_GOOD);
    // Each state change is in the log: the rebuild's end included.
    EXPECT_EQ(a.events.rbegin()->second[0x145], sim::LD_REBUILDING);
}

TEST(sim_tasks, without_a_spare_the_rebuild_waits_and_starts_on_the_replacement)
{
    sim::adapter a = machine();
    a.drives[4].global_spare = 0;
    sim::pull_drive(a, 2);
    EXPECT_EQ(a.logicals[0].rebuild, 1u);
    EXPECT_EQ(sim::logical_state(a, 0), sim::LD_WARNING);
    EXPECT_EQ(recover(a, 0, REBUILD), zan::IOC_STATUS_REBUILD_FAILED) << "no drive to rebuild onto";

    // A new global spare is taken at once.
    bytes spare(24, 0);
    spare[0] = 1;
    spare[2] = 5;
    ASSERT_EQ(send(a, zan::IOCTL_KRAID_CONFIG_HOT_SPARE, spare), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(a.logicals[0].rebuild, 2u);
    EXPECT_EQ(a.logicals[0].members[2], (sim::member{5, sim::ROLE_SPARE_IN_USE}));

    // Auto rebuild off: a broken member waits; start_Rebuild rebuilds it in its slot.
    sim::adapter b = machine("auto_rebuild = off\n");
    b.logicals[0].auto_rebuild = 1;
    sim::set_drive_state(b, 0, sim::DRIVE_FAILED);
    EXPECT_EQ(b.logicals[0].rebuild, 1u);
    EXPECT_EQ(b.drives[4].global_spare, 1u);
    ASSERT_EQ(recover(b, 0, REBUILD), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(b.drives[0].state, sim::DRIVE_REBUILDING);
    EXPECT_EQ(recover(b, 0, REBUILD), zan::IOC_STATUS_GOOD) << "already running";
    EXPECT_EQ(recover(b, 0, CHECK), zan::IOC_STATUS_PARITY_CHK_FAILED);

    // A second failure during the rebuild loses the RAID 5 data and ends it.
    sim::set_drive_state(b, 1, sim::DRIVE_FAILED);
    EXPECT_EQ(b.logicals[0].rebuild, 1u);
    EXPECT_EQ(b.drives[0].state, sim::DRIVE_FAILED);
    EXPECT_EQ(sim::logical_state(b, 0), sim::LD_ALARM);
    EXPECT_EQ(recover(b, 0, REBUILD), zan::IOC_STATUS_LD_STATUS_IS_ALAM);
}

TEST(sim_tasks, a_group_hot_spare_takes_over_within_its_logical_drive)
{
    sim::adapter a;
    ASSERT_EQ(sim::parse_adapter("[adapter 2]\ncontroller_id = 1\n[drive 0]\n[drive 1]\n[drive 2]\n"
                                 "[logical 0]\nlevel = 1\nmembers = 0 1 2g\nhot_spare = group\n",
                                 a),
              "");
    sim::pull_drive(a, 0);
    ASSERT_EQ(a.logicals[0].members.size(), 2u);
    EXPECT_EQ(a.logicals[0].members[0], (sim::member{2, sim::ROLE_SPARE_IN_USE}));
    EXPECT_EQ(a.logicals[0].rebuild, 2u);
}

// Restore requests.
std::uint16_t restore(sim::adapter& a, std::uint8_t action, std::uint8_t candidate, std::uint8_t group,
                      std::uint8_t no_read_ahead = 0, std::uint8_t write_through = 0)
{
    bytes r(40, 0);
    r[0] = 1;
    r[1] = action;
    r[2] = candidate;
    r[3] = r[17] = group;
    r[18] = no_read_ahead;
    r[19] = write_through;
    return send(a, zan::IOCTL_KRAID_CONFIG_RESTORE, r);
}

TEST(sim_restore, candidates_are_listed_described_restored_and_deleted)
{
    sim::adapter a = machine("[candidate 2]\nlevel = 1\nmembers = 5 6\n[candidate 3]\nlevel = 0\nmembers = 7\n"
                             "stripe = none\n[drive 6]\n");
    EXPECT_EQ(sim::drive_class(a, 5), sim::CLASS_RESTORE_CANDIDATE);

    bytes status(36, 0);
    status[0] = 1;
    ASSERT_EQ(send(a, zan::IOCTL_KRAID_GET_RESTORE_STATUS, status), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(status[12], 2);
    EXPECT_EQ(status[13 + 2], sim::LD_GOOD);
    EXPECT_EQ(status[13 + 3], sim::LD_ALARM) << "drive 7 is missing";
    EXPECT_EQ(status[13 + 0], 0xFF);

    bytes info(232, 0);
    info[0] = 1;
    info[1] = 3;
    ASSERT_EQ(send(a, zan::IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO, info), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(info[1], 3);
    EXPECT_EQ(info[12], 1);
    EXPECT_EQ(info[13], 7);
    EXPECT_EQ(info[13 + offsetof(zan::MemberEntry, drive_state)], 0xFF) << "the member's drive is absent";
    info[1] = 4;
    EXPECT_EQ(send(a, zan::IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO, info), zan::IOC_STATUS_FAILURE);

    // Refusals change nothing.
    EXPECT_EQ(restore(a, 0, 3, 5), zan::IOC_STATUS_HDDS_NOT_EXIST);
    EXPECT_EQ(restore(a, 0, 2, 0), zan::IOC_STATUS_FAILURE) << "logical drive 0 exists";
    EXPECT_EQ(restore(a, 0, 2, 12), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(restore(a, 2, 2, 5), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(restore(a, 1, 9, 9), zan::IOC_STATUS_FAILURE);

    ASSERT_EQ(restore(a, 0, 2, 5, 1, 0), zan::IOC_STATUS_GOOD);
    EXPECT_FALSE(a.candidates[2].defined);
    EXPECT_TRUE(a.logicals[5].defined);
    EXPECT_EQ(a.logicals[5].read_cache, 1u);
    EXPECT_EQ(a.logicals[5].write_cache, 0u);
    EXPECT_EQ(sim::drive_assignment(a, 6).logical, 5);
    EXPECT_EQ(sim::logical_state(a, 5), sim::LD_GOOD);

    ASSERT_EQ(restore(a, 1, 3, 3), zan::IOC_STATUS_GOOD);
    EXPECT_FALSE(a.candidates[3].defined);

    // The candidates survive the state file.
    sim::adapter with = machine("[candidate 0]\nlevel = 5\nmembers = 5 6 7\n[drive 6]\n[drive 7]\n");
    sim::adapter reread;
    ASSERT_EQ(sim::parse_adapter(sim::format_adapter(with), reread), "");
    EXPECT_EQ(reread, with);
    // A candidate's drive cannot join a logical drive or be a spare.
    sim::adapter clash;
    EXPECT_NE(sim::parse_adapter("[adapter 2]\n[drive 0]\nspare = yes\n[candidate 0]\nlevel = 0\nmembers = 0\n"
                                 "stripe = none\n",
                                 clash),
              "");
}

TEST(sim_badspots, the_raw_list_holds_sixteen_entries_and_marks_more_as_over)
{
    sim::adapter a = machine();
    a.drives[0].bad_spots = {0x10, 0x12345678};
    for (std::uint32_t lba = 0; lba < 17; ++lba) a.drives[1].bad_spots.push_back(lba + 100);

    bytes r(534, 0);
    r[6] = 0x3C;
    r[7] = 0x01;
    r[8] = 0xE0;
    r[10] = 0x02; // drive 1: offset 512
    r[13] = 0x01;
    r[14] = 0x10; // 0x110 bytes
    ASSERT_EQ(send(a, zan::IOCTL_KRAID_SCSI_READ_BUFFER, r), zan::IOC_STATUS_GOOD);
    const std::uint8_t* data = r.data() + zan::SCSI_REQUEST_DATA;
    EXPECT_EQ(r[zan::SCSI_REQUEST_COMPLETION], 0);
    EXPECT_EQ(data[1], 3);
    EXPECT_EQ(data[7], 17);
    EXPECT_EQ(data[24 + 15 * 16], 1);
    EXPECT_EQ(data[24 + 15 * 16 + 7], 115);
    EXPECT_EQ(sim::build_drive_info(a, 1).bad_spot_state, 0x16);

    const sim::bad_spot_block first = sim::build_bad_spot_block(a, 0);
    EXPECT_EQ(first[1], 1);
    EXPECT_EQ(first[7], 2);
    EXPECT_EQ(bytes(first.begin() + 40, first.begin() + 48), (bytes{1, 0, 0, 0, 0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(sim::build_bad_spot_block(a, 2), sim::bad_spot_block{}) << "no bad spots";
    EXPECT_EQ(sim::build_bad_spot_block(a, 9), sim::bad_spot_block{}) << "no drive";
}

// One WRITE BUFFER piece of `image` at `offset`.
std::uint16_t write_piece(sim::adapter& a, const bytes& image, std::size_t offset, std::size_t length)
{
    bytes r(zan::LARGE_TRANSFER_LENGTH, 0);
    r[6] = 0x3B;
    r[7] = 0x05;
    r[8] = 0x01;
    r[9] = static_cast<std::uint8_t>(offset >> 16);
    r[10] = static_cast<std::uint8_t>(offset >> 8);
    r[11] = static_cast<std::uint8_t>(offset);
    r[12] = static_cast<std::uint8_t>(length >> 16);
    r[13] = static_cast<std::uint8_t>(length >> 8);
    r[14] = static_cast<std::uint8_t>(length);
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), length, r.begin() + zan::SCSI_REQUEST_DATA);
    return send(a, zan::IOCTL_KRAID_SCSI_WRITE_BUFFER, r);
}

bytes image_of(sim::image_file f)
{
    const bytes file = sim::build_image_file(f);
    return bytes(file.begin() + sim::IMAGE_FILE_HEADER_SIZE, file.end());
}

TEST(sim_flash, pieces_assemble_into_the_other_bank_and_run_after_a_restart)
{
    sim::adapter a = machine();
    ASSERT_EQ(a.flash_state, 0x13u);
    const bytes image = image_of({.revision = "2.00", .length = 4097});
    ASSERT_EQ(write_piece(a, image, 0, 4096), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(a.flash_received, 4096u);
    EXPECT_EQ(write_piece(a, image, 0, 4096), zan::IOC_STATUS_GOOD) << "a piece sent again";
    ASSERT_EQ(write_piece(a, image, 4096, 1), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(a.flash_expected, 0u);
    EXPECT_EQ(a.flash_rom2, "2.00");
    EXPECT_EQ(a.flash_state, 0x23u);
    EXPECT_EQ(sim::build_cont_para(a).flash_rom_state, 0x23);
    EXPECT_EQ(a.firmware, "1.10") << "the running firmware until a restart";
    sim::restart_adapter(a);
    EXPECT_EQ(a.firmware, "2.00");

    // The next download goes into bank 1.
    const bytes next = image_of({.revision = "2.01", .length = 40});
    ASSERT_EQ(write_piece(a, next, 0, 40), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(a.flash_rom1, "2.01");
    EXPECT_EQ(a.flash_state, 0x13u);
}

TEST(sim_flash, broken_images_and_pieces_out_of_order_fail_in_the_status_word)
{
    sim::adapter a = machine();
    const bytes bad_sum = image_of({.revision = "2.00", .length = 5000, .broken = sim::image_file::damage::checksum});
    ASSERT_EQ(write_piece(a, bad_sum, 0, 4096), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(write_piece(a, bad_sum, 4096, 904), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(a.flash_state, 0x11u) << "bank 2 holds a bad image; bank 1 still starts";
    EXPECT_EQ(write_piece(a, bad_sum, 4096, 904), zan::IOC_STATUS_FAILURE) << "the download was dropped";
    sim::restart_adapter(a);
    EXPECT_EQ(a.firmware, "1.10");

    const bytes good = image_of({.revision = "2.00", .length = 9000});
    EXPECT_EQ(write_piece(a, good, 4096, 4096), zan::IOC_STATUS_FAILURE) << "no download open";
    ASSERT_EQ(write_piece(a, good, 0, 4096), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(write_piece(a, good, 8192, 808), zan::IOC_STATUS_FAILURE) << "a gap";
    EXPECT_EQ(a.flash_received, 4096u);
    bytes garbage(4096, 0x5A);
    EXPECT_EQ(write_piece(a, garbage, 0, 4096), zan::IOC_STATUS_FAILURE) << "no image header";
    EXPECT_EQ(a.flash_expected, 0u);
    bytes wrong_mode(zan::LARGE_TRANSFER_LENGTH, 0);
    wrong_mode[6] = 0x3B;
    wrong_mode[7] = 0x04;
    EXPECT_EQ(send(a, zan::IOCTL_KRAID_SCSI_WRITE_BUFFER, wrong_mode), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(wrong_mode[zan::SCSI_REQUEST_COMPLETION + 2], sim::ASC_INVALID_FIELD_IN_CDB);
}

TEST(sim_clock, requests_bring_the_adapter_up_to_the_simulated_clock)
{
    zan_test::sim_root root;
    root.create("demo");
    ASSERT_EQ(sim::set_clock(T0), "");
    ASSERT_EQ(sim::fail_drive(2, 3), "");
    ASSERT_EQ(sim::advance_clock(30'000), "");
    bool simulated = false;
    std::uint64_t now = 0;
    ASSERT_EQ(sim::clock_now(simulated, now), "");
    EXPECT_TRUE(simulated);
    EXPECT_EQ(now, T0 + 30'000);

    // A change waits for nothing but brings the state up first.
    ASSERT_EQ(sim::set_inconsistencies(2, 0, 4), "");
    sim::adapter a;
    ASSERT_EQ(sim::load_adapter(sim::root_dir(), 2, a), "");
    EXPECT_EQ(a.logicals[1].progress, 30u);
    EXPECT_EQ(a.logicals[0].inconsistencies, 4u);

    ASSERT_EQ(sim::use_real_time(), "");
    ASSERT_EQ(sim::clock_now(simulated, now), "");
    EXPECT_FALSE(simulated);
    std::uint32_t number = 0;
    EXPECT_NE(sim::add_restore_candidate(2, 1, {6, 5}, number), "") << "drive 5 is a member";
    ASSERT_EQ(sim::add_restore_candidate(2, 0, {6}, number), "");
    EXPECT_EQ(number, 0u);
    ASSERT_EQ(sim::add_bad_spots(2, 6, {9, 8, 9}), "");
    ASSERT_EQ(sim::load_adapter(sim::root_dir(), 2, a), "");
    EXPECT_EQ(a.drives[6].bad_spots, (std::vector<std::uint32_t>{9, 8}));
    EXPECT_EQ(a.candidates[0].stripe_blocks, 0u);
}

} // namespace
