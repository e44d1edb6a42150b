// The simulated firmware's model: records built from it byte for byte, the
// states it derives from the members, and its text form (scenarios and state
// files).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "../../sim/engine/fields.h"
#include "../../sim/engine/model_text.h"
#include "../../sim/engine/raid.h"
#include "../../sim/engine/records.h"
#include "sim/control.h"

namespace {

sim::adapter parse_one(const std::string& text)
{
    sim::adapter a;
    const std::string error = sim::parse_adapter(text, a);
    EXPECT_EQ(error, "");
    return a;
}

template <class R>
const std::uint8_t* bytes(const R& record)
{
    return reinterpret_cast<const std::uint8_t*>(&record);
}

// Four drives of which the listed ones are failed, holding one logical drive.
sim::adapter with_failed(const std::string& level, const std::string& members, std::initializer_list<int> failed)
{
    std::string text = "[adapter 2]\n";
    for (int d = 0; d < 6; ++d) text += "[drive " + std::to_string(d) + "]\n";
    text += "[logical 0]\nlevel = " + level + "\nmembers = " + members + "\n";
    if (level == "0" && members.size() == 1) text += "stripe = none\n";
    sim::adapter a = parse_one(text);
    for (int d : failed) a.drives[static_cast<std::size_t>(d)].state = 0x20;
    return a;
}

TEST(sim_records, controller_info_carries_the_model_at_its_offsets)
{
    const sim::adapter a = parse_one("[adapter 7]\ncontroller_id = 0x21\npci_bus = 5\npci_device = 9\n"
                                     "revision = 0xA3\ndriver_version = \"1.2\"\nmemory_mb = 512\ncache_mb = 300\n"
                                     "write_cache_mb = 70000\nrebuild_priority_idle = low\n"
                                     "rebuild_priority_busy = middle\npatrol_delay = high\nbuzzer = off\n"
                                     "model = \"ZAN8SAS\"\nfirmware = \"2.01\"\n");
    const zan::ContInfo info = sim::build_cont_info(a);
    const std::uint8_t* b = bytes(info);
    EXPECT_EQ(b[0], 0x21);
    EXPECT_EQ(b[12], 5);
    EXPECT_EQ(b[13], 9);
    EXPECT_EQ(b[14], 0xA3);
    EXPECT_EQ(std::memcmp(b + 20, "1.2     ", 8), 0);
    EXPECT_EQ(zan::load_le32(b + 44), 512u);
    EXPECT_EQ(zan::load_le32(b + 48), 300u);
    EXPECT_EQ(zan::load_le32(b + 52), 70000u);
    EXPECT_EQ(zan::load_le16(b + 56), 3);
    EXPECT_EQ(zan::load_le16(b + 58), 2);
    EXPECT_EQ(zan::load_le16(b + 60), 1);
    EXPECT_EQ(b[62], 0);
    EXPECT_EQ(std::memcmp(b + 66, "ZAN8SAS ", 8), 0);
    EXPECT_EQ(std::memcmp(b + 74, "2.01", 4), 0);
    // Port number and driver kind are the library's to fill in.
    EXPECT_EQ(b[78], 0);
    EXPECT_EQ(b[79], 0);
}

TEST(sim_records, controller_parameters_keep_byte_order_of_revisions_and_address)
{
    const sim::adapter a = parse_one("[adapter 2]\nboot_firmware = \"BT9.99\"\nprocessor_revision = 0x0A0B0C0D\n"
                                     "adapter_version = 0x42\nsas_address = 0x5000A1D0FFEE0102\n"
                                     "flash_rom1 = \"1.10\"\nflash_rom2 = \"1.8\"\nflash_state = 0x22\n");
    const zan::ContPara para = sim::build_cont_para(a);
    const std::uint8_t* b = bytes(para);
    EXPECT_STREQ(reinterpret_cast<const char*>(b + 42), "BT9.99");
    const std::uint8_t processor[] = {0x0A, 0x0B, 0x0C, 0x0D};
    EXPECT_EQ(std::memcmp(b + 64, processor, 4), 0);
    EXPECT_EQ(b[69], 0x42);
    const std::uint8_t sas[] = {0x50, 0x00, 0xA1, 0xD0, 0xFF, 0xEE, 0x01, 0x02};
    EXPECT_EQ(std::memcmp(b + 92, sas, 8), 0);
    EXPECT_EQ(std::memcmp(b + 100, "1.10", 4), 0);
    EXPECT_EQ(std::memcmp(b + 104, "1.8 ", 4), 0);
    EXPECT_EQ(b[108], 0x22);
}

TEST(sim_records, raid_status_lists_defined_drives_and_marks_the_rest_absent)
{
    sim::adapter a = parse_one("[adapter 2]\nbattery = none\n[drive 0]\n[drive 1]\nstate = attention2\n"
                               "[drive 4]\n[logical 3]\nlevel = 1\nmembers = 0 1\n");
    const zan::RaidStatus status = sim::build_raid_status(a);
    const std::uint8_t* b = bytes(status);
    for (int n = 0; n < 12; ++n) {
        EXPECT_EQ(b[12 + n], n == 3 ? 0x00 : 0xFF) << n;
        EXPECT_EQ(b[24 + n], b[12 + n]) << n;
    }
    const std::uint8_t drives[12] = {0, 2, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(b + 36, drives, 12), 0);
    EXPECT_EQ(zan::load_le32(b + 48), 0u);
    EXPECT_EQ(b[72], 0xFF);
}

TEST(sim_records, logical_drive_info_lists_members_with_roles_and_positions)
{
    const sim::adapter a = parse_one("[adapter 2]\ncontroller_id = 4\n"
                                     "[drive 0]\nsize_mb = 1000\n[drive 1]\nsize_mb = 900\n[drive 2]\nsize_mb = 800\n"
                                     "[drive 3]\nsize_mb = 2000\n[drive 4]\n"
                                     "[logical 5]\nlevel = 5\nmembers = 0 3s 2 4g\nstripe = 256k\nsub_groups = 1\n"
                                     "read_cache = nora\nwrite_cache = wb\nauto_rebuild = off\nhot_spare = group\n"
                                     "rebuild = needed\nmaintenance = parity\nprogress = 42\nerrors = 7\n"
                                     "forced = yes\n");
    const zan::LogicalDriveInfo info = sim::build_logical_info(a, 5);
    const std::uint8_t* b = bytes(info);
    EXPECT_EQ(b[0], 4);
    EXPECT_EQ(b[1], 5);
    EXPECT_EQ(b[12], 4);
    const std::uint8_t expected_members[4][3] = {{0, 0, 0}, {3, 3, 1}, {2, 0, 2}, {4, 2, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(b[13 + 6 * i], expected_members[i][0]) << i;
        EXPECT_EQ(b[13 + 6 * i + 1], expected_members[i][1]) << i;
        EXPECT_EQ(b[13 + 6 * i + 5], expected_members[i][2]) << i;
    }
    EXPECT_EQ(b[85], 1);
    EXPECT_EQ(b[86], 5);
    EXPECT_EQ(zan::load_le32(b + 88), 512u);
    EXPECT_EQ(b[92], 1);
    EXPECT_EQ(b[94], 1);
    EXPECT_EQ(b[95], 1);
    EXPECT_EQ(b[96], 2);
    EXPECT_EQ(b[97], 42);
    EXPECT_EQ(b[98], 1);
    EXPECT_EQ(zan::load_le32(b + 108), 7u);
    EXPECT_EQ(b[121], 1);
    EXPECT_EQ(b[129], 0);
    // RAID 5 over three data members, the smallest 800 MB; the group spare adds nothing.
    EXPECT_EQ(zan::load_le32(b + 180), 1600u);
}

TEST(sim_records, logical_size_follows_the_level)
{
    const auto size = [](const std::string& level, const std::string& members) {
        const sim::adapter a = with_failed(level, members, {});
        return sim::logical_size_mb(a, a.logicals[0]);
    };
    EXPECT_EQ(size("0", "0"), 140014u);
    EXPECT_EQ(size("0", "0 1 2"), 3 * 140014u);
    EXPECT_EQ(size("1", "0 1"), 140014u);
    EXPECT_EQ(size("10", "0 1 2 3"), 2 * 140014u);
    EXPECT_EQ(size("1", "0 1 2 3 4 5"), 3 * 140014u);
    EXPECT_EQ(size("5", "0 1 2 3"), 3 * 140014u);
}

TEST(sim_records, drive_info_derives_class_group_and_bad_spot_state)
{
    sim::adapter a = parse_one(
        "[adapter 2]\ncontroller_id = 9\n"
        "[drive 0]\nvendor = \"ACME\"\nproduct = \"DISK\"\nrevision = \"R1\"\nsize_mb = 5000\nlink = 1.5G\n"
        "smart = received\nmedium_errors = n/a\nbad_spots = 0x10 0x20\n"
        "[drive 1]\nstate = alarm3\n[drive 2]\nspare = yes\n[drive 3]\nspare = yes\nstate = alarm0\n"
        "[drive 4]\ninquiry = \"custom inquiry\"\nbad_spots = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\n"
        "[drive 5]\n[logical 2]\nlevel = 1\nmembers = 0 1 5g\n");
    const zan::PhysicalDriveInfo d0 = sim::build_drive_info(a, 0);
    const std::uint8_t* b = bytes(d0);
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(std::memcmp(b + 14, "ACME    DISK            R1  ", 28), 0);
    EXPECT_EQ(std::memcmp(b + 64, "ACME    DISK            R1              ", 40), 0);
    EXPECT_EQ(b[42], 2);
    EXPECT_EQ(b[43], 0);
    EXPECT_EQ(zan::load_le32(b + 44), 5000u);
    EXPECT_EQ(zan::load_le32(b + 52), 0xFFFFFFFFu);
    EXPECT_EQ(b[107], 7);
    EXPECT_EQ(b[108], 4);
    EXPECT_EQ(b[109], 6);
    EXPECT_EQ(zan::load_le16(b + 110), 2);

    const auto class_and_group = [&a](int drive) {
        const zan::PhysicalDriveInfo info = sim::build_drive_info(a, drive);
        return std::pair<int, int>(info.drive_class, info.group);
    };
    EXPECT_EQ(class_and_group(1), std::make_pair(1, 2));    // failed member
    EXPECT_EQ(class_and_group(2), std::make_pair(3, 0xFF)); // global hot spare, waiting
    EXPECT_EQ(class_and_group(3), std::make_pair(3, 0xFF)); // failed global hot spare
    EXPECT_EQ(class_and_group(4), std::make_pair(4, 0xFF)); // fresh
    EXPECT_EQ(class_and_group(5), std::make_pair(0, 2));    // group hot spare
    const zan::PhysicalDriveInfo d4 = sim::build_drive_info(a, 4);
    EXPECT_EQ(std::memcmp(d4.inquiry_text, "custom inquiry", 14), 0);
    EXPECT_EQ(d4.bad_spot_state, 0x16);
    EXPECT_EQ(d4.bad_spot_count.get(), 17u);
}

TEST(sim_state, logical_state_follows_member_failures_by_level)
{
    EXPECT_EQ(sim::logical_state(with_failed("0", "0 1", {}), 0), sim::LD_GOOD);
    EXPECT_EQ(sim::logical_state(with_failed("0", "0 1", {1}), 0), sim::LD_ALARM);
    EXPECT_EQ(sim::logical_state(with_failed("1", "0 1", {0}), 0), sim::LD_WARNING);
    EXPECT_EQ(sim::logical_state(with_failed("1", "0 1", {0, 1}), 0), sim::LD_ALARM);
    EXPECT_EQ(sim::logical_state(with_failed("5", "0 1 2", {2}), 0), sim::LD_WARNING);
    EXPECT_EQ(sim::logical_state(with_failed("5", "0 1 2", {0, 2}), 0), sim::LD_ALARM);
    // RAID 10 survives one failure per mirrored pair, not two in one pair.
    EXPECT_EQ(sim::logical_state(with_failed("10", "0 1 2 3", {0, 3}), 0), sim::LD_WARNING);
    EXPECT_EQ(sim::logical_state(with_failed("10", "0 1 2 3", {2, 3}), 0), sim::LD_ALARM);
    // A failed group hot spare does not degrade the data.
    EXPECT_EQ(sim::logical_state(with_failed("1", "0 1 2g", {2}), 0), sim::LD_GOOD);
    // A drive that is gone counts as failed, and attention is not failure.
    sim::adapter pulled = with_failed("1", "0 1", {});
    pulled.drives[1].present = false;
    EXPECT_EQ(sim::logical_state(pulled, 0), sim::LD_WARNING);
    sim::adapter attention = with_failed("0", "0", {});
    attention.drives[0].state = 0x03;
    EXPECT_EQ(sim::logical_state(attention, 0), sim::LD_GOOD);
    EXPECT_EQ(sim::logical_state(attention, 1), 0xFF);
}

TEST(sim_text, state_file_round_trip_keeps_every_field)
{
    sim::adapter a = parse_one(sim::format_adapter(sim::adapter{}));
    a.port = 14;
    a.driver = "Qvm2drv";
    a.controller_id = 200;
    a.sas_address = 0xFFFFFFFFFFFFFFFFULL;
    a.requests = 1234567890123ULL;
    a.battery = 0x7E;
    a.flash_state = 0x00;
    a.faults = {1, 5, 0x8013, 9};
    a.drives[3].present = true;
    a.drives[3].bad_spots = {1, 0xFFFFFFFF};
    a.drives[3].medium_errors = sim::MEDIUM_ERRORS_NOT_AVAILABLE;
    a.drives[3].inquiry = "  spaced  ";
    a.drives[3].state = 0x80;
    a.drives[4].present = false; // pulled, but still described
    a.drives[4].vendor = "GONE";
    a.drives[5].present = true;
    a.logicals[11].defined = true;
    a.logicals[11].raid_level = 1;
    a.logicals[11].members = {{3, 0}, {4, 0}, {5, 3}, {6, 0}};
    a.logicals[11].progress = 100;
    sim::adapter back;
    ASSERT_EQ(sim::parse_adapter(sim::format_adapter(a), back), "");
    EXPECT_EQ(back, a);
}

TEST(sim_text, errors_name_the_line)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[adapter 2]\nbogus = 1\n", "line 2: unknown key 'bogus'"},
        {"# c\n\n[drive 1]\n", "line 3: [drive 1] belongs after an [adapter N] section"},
        {"[adapter 2]\n[drive 12]\n", "line 2: [drive N] with N from 0 to 11"},
        {"[adapter 2]\n[drive 1]\n[drive 1]\n", "line 3: [drive 1] is described twice"},
        {"[adapter 2]\n[port 2]\ndriver = x\n", "line 2: port 2 is described twice"},
        {"[adapter 2]\nmodel = \"TOO-LONG-NAME\"\n", "line 2: model: at most 8 characters"},
        {"[adapter 2]\nmodel = \"open\n", "line 2: missing closing quote"},
        {"[adapter 2]\nbuzzer = maybe\n", "line 2: buzzer: one of off, on"},
        {"[adapter 2]\ncontroller_id = 256\n", "line 2: controller_id: a number from 0 to 255"},
        {"[adapter 2]\nbattery = 1\nbattery = 2\n", "line 3: key 'battery' given twice in this section"},
        {"driver = x\n", "line 1: key 'driver' before any section"},
        {"[adapter 2]\n[logical 0]\nlevel = 5\nmembers = 0 1\n[drive 0]\n",
         "line 2: logical drive 0: RAID 5 needs at least three data members"},
        {"[adapter 2]\n[logical 0]\nlevel = 1\nmembers = 0 0\n", "line 2: logical drive 0: drive 0 is listed twice"},
        {"[adapter 2]\n[logical 0]\nmembers = 0 x\n", "line 3: members: members are drive numbers 0-11"},
        {"[adapter 3]\n[drive 0]\nspare = yes\n[logical 0]\nmembers = 0 1\n",
         "line 1: adapter on port 3: global hot spare 0 is a member of logical drive 0"},
        {"[adapter 3]\n[logical 0]\nmembers = 0 1\n[logical 1]\nmembers = 1 2\n",
         "line 1: adapter on port 3: drive 1 is a member of logical drives 0 and 1"},
        {"[adapter 2]\n[faults]\n[faults]\n", "line 3: [faults] is described twice"},
        {"[adapter 2] junk\n", "line 1: text after the section header"},
    };
    for (const auto& [text, expected] : cases) {
        sim::scenario s;
        const std::string error = sim::parse_scenario(text, s);
        EXPECT_EQ(error.substr(0, std::strlen(expected)), expected) << text;
    }
}

TEST(sim_text, shipped_scenarios_parse_and_the_demo_is_embedded_unchanged)
{
    const char* names[] = {"demo", "empty", "one", "drivers", "five", "port12", "mute"};
    for (const char* name : names) {
        std::ifstream in(std::string(ZAN_SOURCE_DIR) + "/sim/scenarios/" + name);
        std::stringstream text;
        text << in.rdbuf();
        sim::scenario s;
        EXPECT_EQ(sim::parse_scenario(text.str(), s), "") << name;
        if (std::string(name) == "demo") {
            EXPECT_EQ(text.str(), sim::demo_scenario());
            ASSERT_EQ(s.adapters.size(), 2u);
            // Every level appears, and each adapter keeps a global spare and a free drive.
            std::set<std::string> levels;
            for (const sim::adapter& a : s.adapters) {
                int spares = 0, fresh = 0;
                for (std::uint32_t d = 0; d < sim::DRIVE_SLOTS; ++d) {
                    if (!a.drives[d].present) continue;
                    spares += sim::drive_class(a, d) == sim::CLASS_SPARE_NO_USE;
                    fresh += sim::drive_class(a, d) == sim::CLASS_FRESH;
                }
                EXPECT_GE(spares, 1);
                EXPECT_GE(fresh, 1);
                for (const sim::logical_drive& ld : a.logicals) {
                    if (ld.defined) levels.insert(sim::format_level(ld));
                }
            }
            EXPECT_EQ(levels, (std::set<std::string>{"0", "1", "5", "10"}));
        }
    }
}

} // namespace
