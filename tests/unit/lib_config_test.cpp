// Configuration exports: argument checks and their order, the request
// records they build, and the retried vendor-page step.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../sim/engine/store.h"
#include "lib_request_log.h"
#include "zanioctl.h"

namespace {

using zan_test::bytes;

// Drive 0-3 present; logical drive 0 a RAID 1 on drives 0 and 1 with no read
// ahead, write back and auto rebuild off, so that every flag differs from the
// value a setter would send for it.
const char* const SCENARIO = R"(
[adapter 2]
controller_id = 1
rebuild_priority_idle = middle
rebuild_priority_busy = high
patrol_delay = low
buzzer = off
[drive 0]
[drive 1]
[drive 2]
[drive 3]
[logical 0]
level = 1
members = 0 1
read_cache = nora
write_cache = wb
auto_rebuild = off
)";

class config_exports : public zan_test::library_on_sim {
protected:
    void SetUp() override { start(SCENARIO); }
};

struct refused_call {
    const char* what;
    std::function<zan::BOOL32()> call;
    std::uint32_t error;
    std::uint64_t requests; // requests sent before the check refused
};

zan::CreateLDRecord create_record(std::uint8_t level, std::vector<std::uint8_t> members)
{
    zan::CreateLDRecord r{};
    r.controller = 0;
    r.group = 1;
    r.member_count = static_cast<std::uint8_t>(members.size());
    for (std::size_t i = 0; i < members.size() && i < 12; ++i) r.members[i] = members[i];
    r.raid_level = level;
    return r;
}

TEST_F(config_exports, argument_checks_refuse_in_their_order_before_the_request)
{
    zan::CreateLDRecord thirteen = create_record(0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    thirteen.member_count = 13;
    const zan::CreateLDRecord member_12 = create_record(5, {0, 12, 1});
    zan::CreateLDRecord on_controller_4 = create_record(0, {0});
    on_controller_4.controller = 4;
    zan::CreateLDRecord on_controller_1 = create_record(0, {0});
    on_controller_1.controller = 1;

    const std::vector<refused_call> calls = {
        {"createLD null", [] { return createLD(nullptr); }, 0x00100010, 0},
        {"createLD controller 4", [&] { return createLD(&on_controller_4); }, 0x00020010, 0},
        {"createLD empty slot", [&] { return createLD(&on_controller_1); }, 0x00010010, 0},
        {"createLD 13 members", [&] { return createLD(&thirteen); }, 0x00400010, 1},
        {"createLD member 12", [&] { return createLD(&member_12); }, 0x00400010, 1},
        {"deleteLD controller 4", [] { return deleteLD(4, 0); }, 0x00020010, 0},
        {"createGHS drive 12", [] { return createGHS(0, 12); }, 0x00400010, 1},
        {"deleteGHS empty slot", [] { return deleteGHS(1, 0); }, 0x00010010, 0},
        {"setHDDsts_GOOD drive 12", [] { return setHDDsts_GOOD(0, 12); }, 0x00400010, 1},
        {"setHDDsts_ALAM controller 0x104", [] { return setHDDsts_ALAM(0x104, 0); }, 0x00020010, 0},
        {"setWriteCache WBCon 2", [] { return setWriteCache(0, 0, 2); }, 0x00200010, 1},
        {"setReadCache group 12", [] { return setReadCache(0, 12, 1); }, 0x00080010, 0},
        {"setAutoRebuild undefined group", [] { return setAutoRebuild(0, 5, 2); }, 0x00000040, 1},
        {"setRESTintvBUSY 4", [] { return setRESTintvBUSY(0, 4); }, 0x00040010, 0},
        {"setRESTintvIDLE 0", [] { return setRESTintvIDLE(0, 0); }, 0x00040010, 0},
        {"setHDDintv empty slot", [] { return setHDDintv(3, 2); }, 0x00010010, 0},
        {"setHDDLocateLED 0x01", [] { return setHDDLocateLED(0, 0, 0x01); }, 0x04000010, 0},
        {"setHDDLocateLED 0x40", [] { return setHDDLocateLED(0, 0, 0x40); }, 0x04000010, 0},
        {"setHDDLocateLED 0x12", [] { return setHDDLocateLED(0, 0, 0x12); }, 0x04000010, 0},
        {"setHDDLocateLED drive 12", [] { return setHDDLocateLED(0, 12, 0x30); }, 0x00400010, 0},
        {"getGListInfo null", [] { return getGListInfo(0, nullptr); }, 0x00100010, 0},
        {"setGListInfo null", [] { return setGListInfo(0, nullptr); }, 0x00100010, 0},
    };
    for (const refused_call& c : calls) {
        const std::uint64_t before = requests();
        EXPECT_EQ(c.call(), 0) << c.what;
        EXPECT_EQ(DLLGetLastError(), c.error) << c.what;
        EXPECT_EQ(requests() - before, c.requests) << c.what;
    }
}

TEST_F(config_exports, inner_step_failures_are_passed_up)
{
    // getContInfo of a priority setter, getRaidStatus of a cache setter.
    ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 1), "");
    EXPECT_EQ(setHDDintv(0, 1), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
    ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 1), "");
    EXPECT_EQ(setReadCache(0, 0, 1), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
    EXPECT_TRUE(sent(zan::IOCTL_KRAID_CONFIG_CONTROLLER).empty());
    EXPECT_TRUE(sent(zan::IOCTL_KRAID_CONFIG_LOGICAL_DISK).empty());
}

TEST_F(config_exports, switches_send_the_new_flag_and_the_current_others)
{
    // Current flags: read cache 1 (NORA), write cache 0 (WB), auto rebuild 1 (off).
    struct case_ {
        std::function<zan::BOOL32()> call;
        bytes flags; // read, write, auto rebuild
    };
    const std::vector<case_> cases = {
        {[] { return setWriteCache(0x100, 0, 0x101); }, {1, 0, 1}}, // low bytes: controller 0, WBCon 1
        {[] { return setWriteCache(0, 0, 0); }, {1, 1, 1}},
        {[] { return setReadCache(0, 0, 1); }, {0, 0, 1}},
        {[] { return setReadCache(0, 0, 0); }, {1, 0, 1}},
        {[] { return setAutoRebuild(0, 0, 1); }, {1, 0, 0}},
        {[] { return setAutoRebuild(0, 0, 0); }, {1, 0, 1}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        start(SCENARIO); // each case on the scenario's flags
        (void)cases[i].call();
        const auto records = sent(zan::IOCTL_KRAID_CONFIG_LOGICAL_DISK);
        ASSERT_EQ(records.size(), 1u) << "case " << i;
        const bytes& r = records.back();
        EXPECT_EQ(bytes(r.begin(), r.begin() + 6), (bytes{CONTROLLER_ID, 0, 0, cases[i].flags[0], cases[i].flags[1],
                                                          cases[i].flags[2]}))
            << "case " << i;
    }
}

TEST_F(config_exports, priority_setters_replace_one_value_and_resend_the_others)
{
    // Current: idle 2, busy 1, patrol delay 3, buzzer 0.
    const std::vector<std::pair<std::function<zan::BOOL32()>, bytes>> cases = {
        {[] { return setRESTintvIDLE(0, 3); }, {3, 0, 1, 0, 3, 0, 0}},
        {[] { return setRESTintvBUSY(0, 3); }, {2, 0, 3, 0, 3, 0, 0}},
        {[] { return setHDDintv(0, 0x201); }, {2, 0, 1, 0, 1, 0, 0}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        start(SCENARIO); // each case on the scenario's settings
        (void)cases[i].first();
        const auto records = sent(zan::IOCTL_KRAID_CONFIG_CONTROLLER);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records.back()[0], CONTROLLER_ID);
        EXPECT_EQ(bytes(records.back().begin() + 2, records.back().begin() + 9), cases[i].second) << "case " << i;
    }
}

TEST_F(config_exports, create_request_carries_the_record_and_the_stripe_rule)
{
    zan::CreateLDRecord twelve = create_record(5, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    twelve.hot_spare_mode = 0;
    twelve.no_read_ahead = 1;
    twelve.write_through = 1;
    twelve.sub_group = 1;
    twelve.reserved2 = 0xEE; // not read
    (void)createLD(&twelve);
    const zan::CreateLDRecord single_raid0 = create_record(0, {3});
    (void)createLD(&single_raid0);
    const zan::CreateLDRecord double_raid0 = create_record(0, {2, 3});
    (void)createLD(&double_raid0);
    const zan::CreateLDRecord single_raid1 = create_record(1, {3});
    (void)createLD(&single_raid1);

    const auto records = sent(zan::IOCTL_KRAID_CREATE_LOGICAL_DISK);
    ASSERT_EQ(records.size(), 4u);
    const bytes& r = records[0];
    EXPECT_EQ(bytes(r.begin(), r.begin() + 28),
              (bytes{CONTROLLER_ID, 1, 1, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 5, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1}));
    const auto stripe = [](const bytes& rec) { return zan::load_le32(rec.data() + 20); };
    EXPECT_EQ(stripe(records[1]), 0u);
    EXPECT_EQ(stripe(records[2]), 256u);
    EXPECT_EQ(stripe(records[3]), 256u);
}

TEST_F(config_exports, drive_operations_name_the_drive_and_the_action)
{
    (void)createGHS(0, 3);
    (void)deleteGHS(0, 2);
    const auto spares = sent(zan::IOCTL_KRAID_CONFIG_HOT_SPARE);
    ASSERT_EQ(spares.size(), 2u);
    EXPECT_EQ(bytes(spares[0].begin(), spares[0].begin() + 3), (bytes{CONTROLLER_ID, 0, 3}));
    EXPECT_EQ(bytes(spares[1].begin(), spares[1].begin() + 3), (bytes{CONTROLLER_ID, 1, 2}));

    (void)setHDDsts_GOOD(0, 1);
    (void)setHDDsts_ALAM(0, 0);
    const auto states = sent(zan::IOCTL_KRAID_CONFIG_HDD_STATUS);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(bytes(states[0].begin(), states[0].begin() + 3), (bytes{CONTROLLER_ID, 1, 1}));
    EXPECT_EQ(bytes(states[1].begin(), states[1].begin() + 3), (bytes{CONTROLLER_ID, 0, 2}));
}

TEST_F(config_exports, prevent_limits_are_sent_unchanged)
{
    zan::GListInfo limits{};
    limits.prevent_limit.set(0);
    limits.prevent_limit_one_month.set(0xFFFF);
    limits.prevent_limit_half_year.set(0x1234);
    limits.prevent_limit_one_year.set(7);
    EXPECT_EQ(setGListInfo(0, &limits), 1) << std::hex << DLLGetLastError();
    const auto records = sent(zan::IOCTL_KRAID_SET_GLIST_INFO);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(bytes(records[0].begin(), records[0].begin() + 16),
              (bytes{CONTROLLER_ID, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x34, 0x12, 7, 0}));
}

// The MODE SELECT parameter list of a logged request: header, then the page.
bytes page_of(const bytes& record, std::size_t length)
{
    const std::size_t page_at = zan::SCSI_REQUEST_DATA + 12;
    return bytes(record.begin() + page_at, record.begin() + static_cast<std::ptrdiff_t>(page_at + length));
}

TEST_F(config_exports, a_vendor_page_is_offered_eleven_times_then_given_up)
{
    ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 11), "");
    EXPECT_EQ(deleteLD(0, 7), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
    const auto pages = sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT);
    ASSERT_EQ(pages.size(), 11u); // step 1 only
    bytes expected(12, 0);
    expected[0] = 0x3A;
    expected[1] = 0x0A;
    expected[2] = 0x02;
    expected[3] = 7;
    for (const bytes& p : pages) EXPECT_EQ(page_of(p, 12), expected);
    EXPECT_EQ(bytes(pages[0].begin() + zan::SCSI_REQUEST_CDB, pages[0].begin() + zan::SCSI_REQUEST_CDB + 6),
              (bytes{0x15, 0x11, 0, 0, 24, 0}));
}

TEST_F(config_exports, every_valid_led_mode_is_sent_in_the_led_page)
{
    const std::uint8_t modes[] = {0x00, 0x10, 0x11, 0x20, 0x21, 0x30, 0x31};
    for (std::uint8_t mode : modes) {
        ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 11), "");
        EXPECT_EQ(setHDDLocateLED(0, 3, mode), 0);
        const auto pages = sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT);
        ASSERT_FALSE(pages.empty());
        bytes expected(16, 0);
        expected[0] = 0x3C;
        expected[1] = 0x0E;
        expected[2] = 0x32;
        expected[3] = 3;
        expected[4] = mode;
        EXPECT_EQ(page_of(pages.back(), 16), expected) << int{mode};
        EXPECT_EQ(pages.back()[zan::SCSI_REQUEST_CDB + 4], 28) << int{mode};
    }
    EXPECT_EQ(sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT).size(), 7u * 11u);
}

TEST_F(config_exports, trace_lines_name_the_arguments)
{
    ASSERT_EQ(DLLSetDebugLevel(3), 1);
    (void)setWriteCache(0, 0, 1);
    (void)setRESTintvIDLE(0, 2);
    (void)createGHS(0, 3);
    (void)getGListInfo(1, nullptr);
    const std::string text = log_text();
    EXPECT_NE(text.find("setWriteCache\t: CONTno = 0, GROUPno=0, WBCon=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("setRESTintvIDLE\t: CONTno = 0, priority=2\n"), std::string::npos);
    EXPECT_NE(text.find("createGHS\t: CONTno = 0\ncreateGHS\t: HDDno = 3\n"), std::string::npos);
    EXPECT_NE(text.find("getGListInfo\t: CONTno = 1****** ERROR"), std::string::npos);
}

} // namespace

// ---- What the adapter makes of the requests ----------------------------------

class config_on_adapter : public config_exports {
protected:
    sim::adapter state() const
    {
        sim::adapter a;
        EXPECT_EQ(sim::load_adapter(root_.path(), PORT, a), "");
        return a;
    }
};

TEST_F(config_on_adapter, a_created_logical_drive_is_deleted_in_three_pages)
{
    const zan::CreateLDRecord single = create_record(0, {3});
    ASSERT_EQ(createLD(&single), 1) << std::hex << DLLGetLastError();
    zan::LogicalDriveInfo ld{};
    ASSERT_EQ(getLogicalDriveInfo(0, 1, &ld), 1);
    EXPECT_EQ(ld.raid_level, 0);
    EXPECT_EQ(ld.member_count, 1);
    EXPECT_EQ(ld.members[0].hdd, 3);
    EXPECT_EQ(ld.stripe_size.get(), 0u);

    ASSERT_EQ(deleteLD(0, 1), 1) << std::hex << DLLGetLastError();
    EXPECT_FALSE(state().logicals[1].defined);
    const auto pages = sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(page_of(pages[1], 4), (bytes{0x30, 0x2E, 0x11, 1}));
    EXPECT_EQ(page_of(pages[2], 4), (bytes{0x30, 0x2E, 0x04, 1}));
}

TEST_F(config_on_adapter, a_refused_first_deletion_page_ends_the_deletion)
{
    EXPECT_EQ(deleteLD(0, 6), 0);
    EXPECT_EQ(DLLGetLastError(), 0x20u);
    EXPECT_EQ(sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT).size(), 1u);
}

TEST_F(config_on_adapter, a_creation_the_adapter_refuses_fails_as_a_driver_failure)
{
    const zan::CreateLDRecord on_a_member = create_record(0, {1});
    EXPECT_EQ(createLD(&on_a_member), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10001000u);
    EXPECT_FALSE(state().logicals[1].defined);
}

TEST_F(config_on_adapter, settings_reach_the_adapter)
{
    ASSERT_EQ(setWriteCache(0, 0, 0), 1);
    ASSERT_EQ(setReadCache(0, 0, 1), 1);
    ASSERT_EQ(setAutoRebuild(0, 0, 1), 1);
    zan::LogicalDriveInfo ld{};
    ASSERT_EQ(getLogicalDriveInfo(0, 0, &ld), 1);
    EXPECT_EQ(ld.write_cache, 1); // write through
    EXPECT_EQ(ld.read_cache, 0);  // read ahead
    EXPECT_EQ(ld.auto_rebuild, 0);

    ASSERT_EQ(setRESTintvBUSY(0, 3), 1);
    zan::ContInfo info{};
    ASSERT_EQ(getContInfo(0, &info), 1);
    EXPECT_EQ(info.rebuild_priority_idle.get(), 2u);
    EXPECT_EQ(info.rebuild_priority_busy.get(), 3u);
    EXPECT_EQ(info.patrol_read_delay.get(), 3u);
    EXPECT_EQ(info.buzzer, 0);
}

TEST_F(config_on_adapter, hot_spares_and_forced_states_change_the_drives)
{
    ASSERT_EQ(createGHS(0, 3), 1);
    EXPECT_EQ(state().drives[3].global_spare, 1u);
    ASSERT_EQ(deleteGHS(0, 3), 1);
    EXPECT_EQ(state().drives[3].global_spare, 0u);
    EXPECT_EQ(createGHS(0, 0), 0) << "a member cannot be a spare";

    ASSERT_EQ(setHDDsts_ALAM(0, 1), 1);
    zan::RaidStatus status{};
    ASSERT_EQ(getRaidStatus(0, &status), 1);
    EXPECT_EQ(status.hdd_state[1], 0x20);
    EXPECT_EQ(status.ld_state[0], 0x10);
    ASSERT_EQ(setHDDsts_GOOD(0, 1), 1);
    ASSERT_EQ(getRaidStatus(0, &status), 1);
    EXPECT_EQ(status.hdd_state[1], 0x00);
}

TEST_F(config_on_adapter, the_led_page_is_retried_until_it_is_taken)
{
    ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 10), "");
    ASSERT_EQ(setHDDLocateLED(0, 3, 0x31), 1);
    EXPECT_EQ(sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT).size(), 11u);
    EXPECT_EQ(state().drives[3].led, 0x31u);

    EXPECT_EQ(setHDDLocateLED(0, 7, 0x30), 0) << "no drive 7";
    EXPECT_EQ(DLLGetLastError(), 0x20u);
}

TEST_F(config_on_adapter, prevent_limits_come_back_as_set)
{
    zan::GListInfo limits{};
    limits.prevent_limit_one_month.set(0xFFFF);
    limits.prevent_limit_one_year.set(2);
    ASSERT_EQ(setGListInfo(0, &limits), 1);
    zan::GListInfo back;
    std::memset(&back, 0xAA, sizeof back);
    ASSERT_EQ(getGListInfo(0, &back), 1);
    EXPECT_EQ(std::memcmp(&back, &limits, sizeof limits), 0);
}
