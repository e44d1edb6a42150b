// The simulated firmware's configuration and diagnostic answers: creation
// rules, deletion steps, hot spares, forced states by level, mode pages, the
// SMART, NVRAM and event-log reads, and the volumes of the storage stack.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "../../sim/engine/dispatch.h"
#include "../../sim/engine/event_log.h"
#include "../../sim/engine/model_text.h"
#include "../../sim/engine/raid.h"
#include "../../sim/engine/records.h"
#include "../../sim/engine/store.h"
#include "plat/device.h"
#include "plat/error.h"
#include "plat/volumes.h"
#include "sim/control.h"
#include "sim/root.h"
#include "sim_root.h"
#include "zanioctl.h"

namespace {

using bytes = std::vector<std::uint8_t>;

// Controller id 1; drives 0-7 (drive 7 small); RAID 1 on 0+1; drive 5 a
// global hot spare; drive 6 failed.
sim::adapter machine()
{
    std::string text = "[adapter 2]\ncontroller_id = 1\n";
    for (int d = 0; d < 8; ++d) {
        text += "[drive " + std::to_string(d) + "]\n";
        if (d == 5) text += "spare = yes\n";
        if (d == 6) text += "state = alarm0\n";
        if (d == 7) text += "size_mb = 1000\n";
    }
    text += "[logical 0]\nlevel = 1\nmembers = 0 1\nvolumes = E\n";
    sim::adapter a;
    EXPECT_EQ(sim::parse_adapter(text, a), "");
    return a;
}

struct request {
    std::uint32_t code;
    bytes record;
    std::uint16_t status = 0;

    explicit request(std::uint32_t c) : code(c), record(zan::find_control_code(c)->record_size, 0)
    {
        record[0] = 1; // the controller id
    }
    std::uint16_t send(sim::adapter& a)
    {
        status = sim::answer_request(a, code, record);
        return status;
    }
};

struct create_args {
    std::uint8_t number;
    std::vector<std::uint8_t> members;
    std::uint8_t level;
    std::uint32_t stripe = 256;
};

std::uint16_t create(sim::adapter& a, const create_args& c)
{
    request r(zan::IOCTL_KRAID_CREATE_LOGICAL_DISK);
    r.record[1] = r.record[2] = c.number;
    r.record[3] = static_cast<std::uint8_t>(c.members.size());
    std::copy(c.members.begin(), c.members.end(), r.record.begin() + 4);
    r.record[17] = c.level;
    zan::store_le32(r.record.data() + 20, c.stripe);
    r.record[25] = 1; // write through
    r.record[27] = 1;
    return r.send(a);
}

// A SCSI command through a ScsiRequestRecord: returns the record answered.
bytes scsi(sim::adapter& a, std::uint32_t code, std::initializer_list<std::uint8_t> cdb, const bytes& data = {})
{
    request r(code);
    r.record[0] = 0;
    std::copy(cdb.begin(), cdb.end(), r.record.begin() + zan::SCSI_REQUEST_CDB);
    std::copy(data.begin(), data.end(), r.record.begin() + zan::SCSI_REQUEST_DATA);
    EXPECT_EQ(r.send(a), zan::IOC_STATUS_GOOD);
    return r.record;
}

// MODE SELECT of one page after the 12-byte header the library sends.
bytes select(sim::adapter& a, const bytes& page)
{
    bytes list = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 2, 0};
    list.insert(list.end(), page.begin(), page.end());
    return scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SELECT, {0x15, 0x11, 0, 0, static_cast<std::uint8_t>(list.size()), 0},
                list);
}

bytes page(std::uint8_t code, std::uint8_t length, std::uint8_t action, std::uint8_t object, std::uint8_t extra = 0)
{
    bytes p(length + 2u, 0);
    p[0] = code;
    p[1] = length;
    p[2] = action;
    p[3] = object;
    p[4] = extra;
    return p;
}

std::uint8_t completion(const bytes& record)
{
    return record[zan::SCSI_REQUEST_COMPLETION];
}

std::uint8_t asc(const bytes& record)
{
    return record[zan::SCSI_REQUEST_COMPLETION + 2];
}

TEST(sim_firmware_create, a_valid_request_defines_the_logical_drive_from_its_members)
{
    sim::adapter a = machine();
    ASSERT_EQ(create(a, {3, {2, 3, 7}, 5}), zan::IOC_STATUS_GOOD);
    const zan::LogicalDriveInfo info = sim::build_logical_info(a, 3);
    EXPECT_EQ(info.raid_level, 5);
    EXPECT_EQ(info.member_count, 3);
    EXPECT_EQ(info.members[2].hdd, 7);
    EXPECT_EQ(info.members[2].position, 2);
    EXPECT_EQ(info.size_mb.get(), 2000u); // smallest member (drive 7) times two
    EXPECT_EQ(info.stripe_size.get(), 256u);
    EXPECT_EQ(info.write_cache, 1);
    EXPECT_EQ(info.read_cache, 0);
    for (std::uint32_t d : {2u, 3u, 7u}) EXPECT_EQ(sim::drive_class(a, d), sim::CLASS_MEMBER_USE) << d;

    // Four mirrored members are RAID 10: half the members carry data.
    ASSERT_EQ(create(a, {4, {0, 1, 4, 6}, 1}), zan::IOC_STATUS_HDD_IS_USED);
    sim::adapter b = machine();
    b.drives[6].state = 0;
    b.logicals[0] = {};
    ASSERT_EQ(create(b, {0, {0, 1, 4, 6}, 1}), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::logical_size_mb(b, b.logicals[0]), 2 * 140014u);
    ASSERT_EQ(create(b, {1, {2}, 0, 0}), zan::IOC_STATUS_GOOD); // one-drive RAID 0 without a stripe
}

TEST(sim_firmware_create, refusals_name_the_reason_and_change_nothing)
{
    const sim::adapter original = machine();
    struct refusal {
        create_args args;
        std::uint16_t status;
        const char* what;
    };
    const refusal cases[] = {
        {{0, {2, 3}, 1}, zan::IOC_STATUS_FAILURE, "logical drive in use"},
        {{12, {2, 3}, 1}, zan::IOC_STATUS_INVALID_PARAM, "logical drive number"},
        {{2, {2, 3, 4}, 1}, zan::IOC_STATUS_INVALID_PARAM, "RAID 1 with three"},
        {{2, {2, 3}, 5}, zan::IOC_STATUS_INVALID_PARAM, "RAID 5 with two"},
        {{2, {2, 3}, 6}, zan::IOC_STATUS_INVALID_PARAM, "unknown level"},
        {{2, {2, 2}, 1}, zan::IOC_STATUS_INVALID_PARAM, "drive twice"},
        {{2, {2, 12}, 1}, zan::IOC_STATUS_INVALID_PARAM, "drive number"},
        {{2, {2}, 0, 256}, zan::IOC_STATUS_INVALID_PARAM, "one-drive RAID 0 with a stripe"},
        {{2, {2, 3}, 0, 100}, zan::IOC_STATUS_INVALID_PARAM, "stripe size"},
        {{2, {2, 9}, 1}, zan::IOC_STATUS_HDDS_NOT_EXIST, "absent drive"},
        {{2, {2, 5}, 1}, zan::IOC_STATUS_HDD_IS_USED, "global hot spare"},
        {{2, {2, 0}, 1}, zan::IOC_STATUS_HDD_IS_USED, "member of another"},
        {{2, {2, 6}, 1}, zan::IOC_STATUS_HDD_IS_NOT_GOOD, "failed drive"},
    };
    for (const refusal& c : cases) {
        sim::adapter a = machine();
        EXPECT_EQ(create(a, c.args), c.status) << c.what;
        EXPECT_EQ(a, original) << c.what;
    }
    sim::adapter a = machine();
    request other(zan::IOCTL_KRAID_CREATE_LOGICAL_DISK);
    other.record[0] = 2;
    EXPECT_EQ(other.send(a), zan::IOC_STATUS_INVALID_PARAM);
}

TEST(sim_firmware_delete, three_steps_in_order_free_the_members_and_the_volumes)
{
    sim::adapter a = machine();
    EXPECT_EQ(completion(select(a, page(0x30, 0x2E, 0x11, 0))), sim::SCSI_CHECK_CONDITION); // step 2 first
    EXPECT_EQ(completion(select(a, page(0x3A, 0x0A, 0x02, 0))), 0);
    const bytes early = select(a, page(0x30, 0x2E, 0x04, 0)); // step 3 before step 2
    EXPECT_EQ(completion(early), sim::SCSI_CHECK_CONDITION);
    EXPECT_EQ(asc(early), sim::ASC_COMMAND_SEQUENCE_ERROR);
    EXPECT_TRUE(a.logicals[0].defined);
    EXPECT_EQ(completion(select(a, page(0x30, 0x2E, 0x11, 0))), 0);
    EXPECT_EQ(completion(select(a, page(0x30, 0x2E, 0x11, 0))), 0); // a repeated step is harmless
    EXPECT_EQ(completion(select(a, page(0x30, 0x2E, 0x04, 0))), 0);
    EXPECT_FALSE(a.logicals[0].defined);
    EXPECT_EQ(a.logicals[0].volumes, "");
    EXPECT_EQ(sim::drive_class(a, 0), sim::CLASS_FRESH);
    EXPECT_EQ(sim::drive_class(a, 1), sim::CLASS_FRESH);

    // A logical drive that does not exist is refused at every step.
    for (const bytes& p : {page(0x3A, 0x0A, 0x02, 0), page(0x3A, 0x0A, 0x02, 12), page(0x30, 0x2E, 0x04, 0)}) {
        const bytes answer = select(a, p);
        EXPECT_EQ(completion(answer), sim::SCSI_CHECK_CONDITION);
        EXPECT_EQ(zan::load_le16(answer.data()), zan::IOC_STATUS_GOOD);
    }
}

TEST(sim_firmware_spares, assign_and_release_change_the_class_and_refuse_members_and_absent_drives)
{
    sim::adapter a = machine();
    const auto spare = [&a](std::uint8_t action, std::uint8_t hdd) {
        request r(zan::IOCTL_KRAID_CONFIG_HOT_SPARE);
        r.record[1] = action;
        r.record[2] = hdd;
        return r.send(a);
    };
    EXPECT_EQ(spare(0, 2), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::drive_class(a, 2), sim::CLASS_SPARE_NO_USE);
    EXPECT_EQ(spare(0, 2), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(spare(0, 0), zan::IOC_STATUS_HDD_IS_USED);
    EXPECT_EQ(spare(0, 9), zan::IOC_STATUS_HDDS_NOT_EXIST);
    EXPECT_EQ(spare(0, 6), zan::IOC_STATUS_HDD_IS_NOT_GOOD);
    EXPECT_EQ(spare(2, 3), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(spare(1, 5), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::drive_class(a, 5), sim::CLASS_FRESH);
    EXPECT_EQ(spare(1, 5), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(sim::check_adapter(a), "");
}

// Forces drives of one logical drive failed and returns its state.
std::uint8_t force_failed(const std::string& level, const std::string& members, std::initializer_list<int> drives)
{
    std::string text = "[adapter 2]\ncontroller_id = 1\n";
    for (int d = 0; d < 6; ++d) text += "[drive " + std::to_string(d) + "]\n";
    text += "[logical 0]\nlevel = " + level + "\nmembers = " + members + "\n";
    sim::adapter a;
    EXPECT_EQ(sim::parse_adapter(text, a), "");
    for (int d : drives) {
        request r(zan::IOCTL_KRAID_CONFIG_HDD_STATUS);
        r.record[1] = static_cast<std::uint8_t>(d);
        r.record[2] = 2;
        EXPECT_EQ(r.send(a), zan::IOC_STATUS_GOOD);
    }
    EXPECT_EQ(a.logicals[0].forced, drives.size() == 0 ? 0u : 1u);
    return sim::logical_state(a, 0);
}

TEST(sim_firmware_forced, a_failed_member_degrades_or_fails_its_logical_drive_by_level)
{
    EXPECT_EQ(force_failed("0", "0 1", {1}), sim::LD_ALARM);
    EXPECT_EQ(force_failed("1", "0 1", {0}), sim::LD_WARNING);
    EXPECT_EQ(force_failed("1", "0 1", {0, 1}), sim::LD_ALARM);
    EXPECT_EQ(force_failed("5", "0 1 2", {2}), sim::LD_WARNING);
    EXPECT_EQ(force_failed("5", "0 1 2", {0, 2}), sim::LD_ALARM);
    EXPECT_EQ(force_failed("10", "0 1 2 3", {0, 2}), sim::LD_WARNING);
    EXPECT_EQ(force_failed("10", "0 1 2 3", {2, 3}), sim::LD_ALARM);
}

TEST(sim_firmware_forced, force_good_restores_and_every_change_is_logged)
{
    sim::adapter a = machine();
    a.logicals[0].auto_rebuild = 1; // no hot spare takes the failed member's place
    const auto force = [&a](std::uint8_t hdd, std::uint8_t state) {
        request r(zan::IOCTL_KRAID_CONFIG_HDD_STATUS);
        r.record[1] = hdd;
        r.record[2] = state;
        return r.send(a);
    };
    EXPECT_EQ(force(1, 2), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::logical_state(a, 0), sim::LD_WARNING);
    EXPECT_EQ(a.logicals[0].rebuild, 1u);
    // Forced good, the drive's data counts as valid: no rebuild is needed.
    EXPECT_EQ(force(1, 1), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::logical_state(a, 0), sim::LD_GOOD);
    EXPECT_EQ(a.logicals[0].rebuild, 0u);
    EXPECT_EQ(force(9, 1), zan::IOC_STATUS_HDDS_NOT_EXIST);
    EXPECT_EQ(force(1, 3), zan::IOC_STATUS_INVALID_PARAM);

    // Per force: the drive's and the logical drive's state changes, then the
    // forced setting, and last the logical drive set optimal by it; oldest
    // unread first.
    ASSERT_EQ(a.event_unread, 7u);
    EXPECT_EQ(sim::build_raid_status(a).event_log_position.get(), 0u);
    const std::vector<std::uint8_t>& drive = a.events.at(0);
    EXPECT_EQ(zan::load_le16(drive.data() + sim::EVENT_CLASS), 2);
    EXPECT_EQ(zan::load_le16(drive.data() + sim::EVENT_TYPE), 1);
    EXPECT_EQ(drive[sim::EVENT_OBJECT], 1);
    EXPECT_EQ(drive[sim::EVENT_NEW_STATE], 0x20);
    EXPECT_EQ(drive[sim::EVENT_OLD_STATE], 0x00);
    EXPECT_EQ(std::memcmp(drive.data() + sim::EVENT_INQUIRY, "KESTREL KS3146SAS", 17), 0);
    const std::vector<std::uint8_t>& logical = a.events.at(1);
    EXPECT_EQ(zan::load_le16(logical.data() + sim::EVENT_TYPE), 72);
    EXPECT_EQ(logical[sim::EVENT_NEW_STATE], sim::LD_WARNING);
    EXPECT_EQ(zan::load_le16(a.events.at(2).data() + sim::EVENT_CLASS), 34);
    EXPECT_EQ(a.events.at(4)[sim::EVENT_NEW_STATE], sim::LD_GOOD);
    EXPECT_EQ(zan::load_le16(a.events.at(6).data() + sim::EVENT_CLASS), 34);
    EXPECT_EQ(zan::load_le16(a.events.at(6).data() + sim::EVENT_TYPE), 0x20);
    EXPECT_EQ(a.events.at(6)[sim::EVENT_OLD_STATE], sim::LD_WARNING);

    // The log survives the state file, entry for entry.
    sim::adapter reread;
    ASSERT_EQ(sim::parse_adapter(sim::format_adapter(a), reread), "");
    EXPECT_EQ(reread, a);
}

TEST(sim_firmware_settings, caches_priorities_and_prevent_limits_are_checked_and_kept)
{
    sim::adapter a = machine();
    request ld(zan::IOCTL_KRAID_CONFIG_LOGICAL_DISK);
    ld.record[3] = 1;
    ld.record[4] = 0;
    ld.record[5] = 1;
    EXPECT_EQ(ld.send(a), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(sim::build_logical_info(a, 0).read_cache, 1);
    EXPECT_EQ(sim::build_logical_info(a, 0).write_cache, 0);
    EXPECT_EQ(sim::build_logical_info(a, 0).auto_rebuild, 1);
    ld.record[1] = ld.record[2] = 3;
    EXPECT_EQ(ld.send(a), zan::IOC_STATUS_FAILURE);
    ld.record[1] = ld.record[2] = 0;
    ld.record[4] = 2;
    EXPECT_EQ(ld.send(a), zan::IOC_STATUS_INVALID_PARAM);

    request controller(zan::IOCTL_KRAID_CONFIG_CONTROLLER);
    zan::store_le16(controller.record.data() + 2, 3);
    zan::store_le16(controller.record.data() + 4, 1);
    zan::store_le16(controller.record.data() + 6, 2);
    EXPECT_EQ(controller.send(a), zan::IOC_STATUS_GOOD);
    const zan::ContInfo info = sim::build_cont_info(a);
    EXPECT_EQ(info.rebuild_priority_idle.get(), 3);
    EXPECT_EQ(info.rebuild_priority_busy.get(), 1);
    EXPECT_EQ(info.patrol_read_delay.get(), 2);
    EXPECT_EQ(info.buzzer, 0);
    zan::store_le16(controller.record.data() + 6, 4);
    EXPECT_EQ(controller.send(a), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(sim::build_cont_info(a).patrol_read_delay.get(), 2);

    request set(zan::IOCTL_KRAID_SET_GLIST_INFO);
    for (int i = 0; i < 4; ++i) zan::store_le16(set.record.data() + 8 + 2 * i, static_cast<std::uint16_t>(i * 1000));
    EXPECT_EQ(set.send(a), zan::IOC_STATUS_GOOD);
    request get(zan::IOCTL_KRAID_GET_GLIST_INFO);
    EXPECT_EQ(get.send(a), zan::IOC_STATUS_GOOD);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(zan::load_le16(get.record.data() + 10 + 2 * i), i * 1000);
}

TEST(sim_firmware_mode_pages, a_selected_page_reads_back_with_a_mode_parameter_header)
{
    sim::adapter a = machine();
    const bytes sensed = scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SENSE, {0x1A, 0x08, 0x08, 0, 0xFF, 0});
    const std::uint8_t* data = sensed.data() + zan::SCSI_REQUEST_DATA;
    ASSERT_EQ(completion(sensed), 0);
    EXPECT_EQ(data[0], 4 + 20 - 1); // mode data length
    EXPECT_EQ(data[3], 0);          // no block descriptor
    EXPECT_EQ(data[4], 0x88);       // saveable caching page
    bytes caching(data + 4, data + 24);
    caching[0] = 0x08;
    caching[2] = 0x01; // read cache disabled, write cache off
    EXPECT_EQ(completion(select(a, caching)), 0);
    const bytes again = scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SENSE, {0x1A, 0x00, 0x08, 0, 0xFF, 0});
    EXPECT_EQ(again[zan::SCSI_REQUEST_DATA + 3], 8); // one block descriptor
    EXPECT_EQ(again[zan::SCSI_REQUEST_DATA + 12 + 2], 0x01);
    const bytes defaults = scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SENSE, {0x1A, 0x08, 0x88, 0, 0xFF, 0});
    EXPECT_EQ(defaults[zan::SCSI_REQUEST_DATA + 4 + 2], 0x04);
    const bytes all = scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SENSE, {0x1A, 0x08, 0x3F, 0, 0xFF, 0});
    EXPECT_EQ(all[zan::SCSI_REQUEST_DATA], 4 + 12 + 20 + 12 + 12 - 1);
    const bytes short_read = scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SENSE, {0x1A, 0x08, 0x3F, 0, 6, 0});
    EXPECT_EQ(short_read[zan::SCSI_REQUEST_DATA + 6], 0); // nothing past the allocation length

    // The page survives the state file.
    sim::adapter reread;
    ASSERT_EQ(sim::parse_adapter(sim::format_adapter(a), reread), "");
    EXPECT_EQ(reread, a);

    // Pages the firmware does not keep, or keeps at another length.
    EXPECT_EQ(asc(scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SENSE, {0x1A, 0x08, 0x19, 0, 0xFF, 0})),
              sim::ASC_INVALID_FIELD_IN_CDB);
    EXPECT_EQ(asc(select(a, {0x19, 0x02, 0, 0})), sim::ASC_INVALID_FIELD_IN_PARAMETERS);
    EXPECT_EQ(asc(select(a, {0x08, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})), sim::ASC_INVALID_FIELD_IN_PARAMETERS);
    EXPECT_EQ(asc(scsi(a, zan::IOCTL_KRAID_SCSI_MODE_SELECT, {0x15, 0x11, 0, 0, 8, 0}, {0, 0, 0, 8})),
              sim::ASC_PARAMETER_LIST_LENGTH);
}

TEST(sim_firmware_mode_pages, the_locate_page_keeps_valid_led_modes_of_present_drives)
{
    sim::adapter a = machine();
    EXPECT_EQ(completion(select(a, page(0x3C, 0x0E, 0x32, 3, 0x30))), 0);
    EXPECT_EQ(a.drives[3].led, 0x30u);
    for (const bytes& p : {page(0x3C, 0x0E, 0x32, 3, 0x01), page(0x3C, 0x0E, 0x32, 3, 0x40),
                           page(0x3C, 0x0E, 0x32, 9, 0x30), page(0x3C, 0x0E, 0x33, 3, 0x00)}) {
        EXPECT_EQ(completion(select(a, p)), sim::SCSI_CHECK_CONDITION);
    }
    EXPECT_EQ(a.drives[3].led, 0x30u);
}

TEST(sim_firmware_reads, smart_nvram_and_the_event_log_read_in_blocks)
{
    sim::adapter a = machine();
    a.drives[2].smart = 4;
    const auto block = [&a](std::initializer_list<std::uint8_t> cdb) {
        const bytes r = scsi(a, zan::IOCTL_KRAID_SCSI_READ_BUFFER, cdb);
        EXPECT_EQ(completion(r), 0);
        return bytes(r.begin() + zan::SCSI_REQUEST_DATA, r.end());
    };
    const bytes data = block({0x20, 1, 1, 0, 0, 3, 0, 2, 0, 0});
    const bytes thresholds = block({0x20, 1, 2, 0, 0, 3, 0, 2, 0, 0});
    for (const bytes& b : {data, thresholds}) {
        EXPECT_EQ(std::accumulate(b.begin(), b.end(), 0u) & 0xFF, 0u); // checksum
        EXPECT_EQ(b[2], 1);                                           // first attribute id
    }
    EXPECT_EQ(data[2 + 12 + 3], 100);        // reallocated sectors: normal
    EXPECT_EQ(thresholds[2 + 12 + 1], 36);   // and its threshold
    EXPECT_EQ(block({0x20, 1, 3, 0, 0, 3, 0, 0, 1, 0})[0], 0);
    EXPECT_EQ(block({0x20, 1, 3, 0, 0, 2, 0, 0, 1, 0})[0], 1); // drive 2 sent a SMART report
    EXPECT_EQ(block({0x20, 1, 1, 0, 0, 2, 0, 2, 0, 0})[2 + 12 + 3], 30);

    bytes nvram;
    for (std::uint32_t offset = 0; offset < zan::NVRAM_SIZE; offset += 512) {
        const bytes part = block({0x3C, 0x02, 0x08, 0, static_cast<std::uint8_t>(offset >> 8), 0, 0, 2, 0, 0});
        nvram.insert(nvram.end(), part.begin(), part.end());
    }
    EXPECT_EQ(std::memcmp(nvram.data(), "ZANNVRAM", 8), 0);
    EXPECT_EQ(nvram[0x100], 1); // logical drive 0 is defined
    EXPECT_EQ(nvram[0x140], 0);
    // The buffer is 32 KiB: unused past the image, refused past its end.
    EXPECT_EQ(block({0x3C, 0x02, 0x08, 0, 0x7E, 0, 0, 2, 0, 0}), bytes(512, 0));
    EXPECT_NE(asc(scsi(a, zan::IOCTL_KRAID_SCSI_READ_BUFFER, {0x3C, 0x02, 0x08, 0, 0x80, 0, 0, 2, 0, 0})), 0);

    // The log: never-written slots read as empty entries; written ones as
    // written, at their slot.
    EXPECT_EQ(block({0x3C, 0x01, 0xA6, 0, 0, 0, 0, 2, 0, 0}), bytes(512, sim::EVENT_EMPTY_FILL));
    sim::append_event(a, sim::make_event(7, 0xB0));
    const bytes first = block({0x3C, 0x01, 0xA6, 0, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(first[0], 1);
    EXPECT_EQ(first[0x14], 7);
    EXPECT_EQ(block({0x3C, 0x01, 0xA6, 0x1F, 0xFE, 0, 0, 2, 0, 0}), bytes(512, sim::EVENT_EMPTY_FILL));
    EXPECT_NE(asc(scsi(a, zan::IOCTL_KRAID_SCSI_READ_BUFFER, {0x3C, 0x01, 0xA6, 0x20, 0, 0, 0, 2, 0, 0})), 0);
}

TEST(sim_firmware_reads, a_full_ring_wraps_and_keeps_its_oldest_unread_entry_in_view)
{
    sim::adapter a = machine();
    for (std::uint32_t i = 0; i < sim::EVENT_SLOTS + 3; ++i) sim::append_event(a, sim::make_event(2, 2));
    EXPECT_EQ(a.event_next, 3u);
    EXPECT_EQ(a.event_unread, sim::EVENT_SLOTS);
    EXPECT_EQ(sim::event_read_position(a), 3u);
    EXPECT_EQ(zan::load_le32(a.events.at(0).data()), sim::EVENT_SLOTS + 1);
}

TEST(sim_storage, volumes_answer_with_their_adapter_port_and_logical_drive)
{
    zan_test::sim_root root;
    root.create("demo");
    EXPECT_EQ(plat::logical_drive_mask(), (1u << 2) | (1u << 3)); // C: and D:
    EXPECT_EQ(plat::drive_type("C:\\"), plat::DRIVE_TYPE_FIXED);
    EXPECT_EQ(plat::drive_type("d:\\"), plat::DRIVE_TYPE_FIXED);
    EXPECT_EQ(plat::drive_type("E:\\"), plat::DRIVE_TYPE_NO_ROOT_DIR);
    EXPECT_EQ(plat::drive_type("D:\\x"), plat::DRIVE_TYPE_NO_ROOT_DIR);

    const auto address = [](const char* path, plat::scsi_address& out) {
        plat::device volume;
        if (!volume.open(path)) return false;
        std::uint32_t returned = 0;
        return volume.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &out, sizeof out, &returned) &&
               returned == sizeof out;
    };
    plat::scsi_address where{};
    ASSERT_TRUE(address("\\\\.\\D:", where));
    EXPECT_EQ(where.length[0], 8);
    EXPECT_EQ(where.port_number, 2);
    EXPECT_EQ(where.target_id, 1);
    ASSERT_TRUE(address("\\\\.\\C:", where));
    EXPECT_EQ(where.port_number, 0); // the machine's own controller
    EXPECT_FALSE(address("\\\\.\\E:", where));
    EXPECT_EQ(plat::last_error(), plat::ERR_FILE_NOT_FOUND);

    ASSERT_EQ(sim::add_volume(3, 1, 'e'), "");
    EXPECT_NE(sim::add_volume(2, 0, 'E'), "");
    EXPECT_NE(sim::add_volume(2, 2, 'F'), "");
    EXPECT_NE(sim::add_volume(2, 0, 'C'), "");
    ASSERT_TRUE(address("\\\\.\\E:", where));
    EXPECT_EQ(where.port_number, 3);
    ASSERT_EQ(sim::remove_volume('D'), "");
    EXPECT_EQ(plat::logical_drive_mask(), (1u << 2) | (1u << 4));
    EXPECT_NE(sim::remove_volume('D'), "");

    plat::device volume;
    ASSERT_TRUE(volume.open("\\\\.\\E:"));
    std::uint32_t returned = 0;
    std::uint8_t small[4];
    EXPECT_FALSE(volume.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, small, sizeof small, &returned));
    EXPECT_EQ(plat::last_error(), plat::ERR_INSUFFICIENT_BUFFER);
    EXPECT_FALSE(volume.control(zan::IOCTL_SCSI_MINIPORT, nullptr, 0, &where, sizeof where, &returned));
    ASSERT_EQ(sim::remove_volume('E'), "");
    EXPECT_FALSE(volume.control(plat::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &where, sizeof where, &returned));
}

TEST(sim_storage, pulled_and_inserted_drives_change_the_array_as_hardware_does)
{
    zan_test::sim_root root;
    root.create("one");
    ASSERT_EQ(sim::pull_drive(2, 2), ""); // the global hot spare
    ASSERT_EQ(sim::pull_drive(2, 1), ""); // a member
    EXPECT_NE(sim::pull_drive(2, 1), "");
    EXPECT_NE(sim::insert_drive(2, 0, {}), "");
    EXPECT_NE(sim::insert_drive(2, 1, {"size_mb=lots"}), "");
    EXPECT_NE(sim::insert_drive(2, 1, {"present=no"}), "");
    ASSERT_EQ(sim::insert_drive(2, 1, {"vendor=ACME", "size_mb=200000"}), "");
    ASSERT_EQ(sim::insert_drive(2, 2, {}), "");
    ASSERT_EQ(sim::fail_drive(2, 3), "");
    EXPECT_NE(sim::fail_drive(2, 12), "");

    sim::adapter a;
    ASSERT_EQ(sim::load_adapter(sim::root_dir(), 2, a), "");
    EXPECT_EQ(a.drives[1].vendor, "ACME");
    // With the spare gone, the replacement of the member is rebuilt at once.
    EXPECT_EQ(a.drives[1].state, sim::DRIVE_REBUILDING);
    EXPECT_EQ(a.logicals[0].rebuild, 2u);
    EXPECT_EQ(sim::logical_state(a, 0), sim::LD_REBUILDING);
    EXPECT_EQ(a.drives[2].state, 0u);
    EXPECT_EQ(sim::drive_class(a, 2), sim::CLASS_FRESH); // no longer a spare
    EXPECT_EQ(a.drives[3].state, 0x20u);
    // One entry per drive change, one for each change of the logical drive
    // (degraded when its member went, rebuilding when it came back) and the
    // start of the rebuild.
    EXPECT_EQ(a.event_unread, 8u);
}

} // namespace
