// The utility's pure rules: state categories and texts, capacities, adapter
// kinds, settings values, drive rows, RAID 50 sub-groups, task rows, bad-spot
// lists, the creation text and the firmware path and block rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <plat/registry.h>

#include <cstring>
#include <string>
#include <vector>

#include "firmware.h"
#include "info_text.h"
#include "lists.h"
#include "operations.h"
#include "settings.h"
#include "state_text.h"

namespace {

using gui::state_category;

TEST(GuiStateText, CategoriesFollowOneRuleForEveryCode)
{
    struct {
        std::uint8_t code;
        bool members_good;
        state_category expected;
        const char* list_text;
    } cases[] = {
        {0, false, state_category::optimal, "OPTIMAL"},
        {1, false, state_category::degraded, "DEGRADED"},
        {2, false, state_category::optimal, "OPTIMAL"},
        {4, false, state_category::smart_attention, "OPTIMAL(S.M.A.R.T. Attention)"},
        {5, false, state_category::preventive_copy, "OPTIMAL"},
        {6, false, state_category::bad_spot, "OPTIMAL(Badspot exists)"},
        {7, false, state_category::degraded, "DEGRADED"},
        {16, false, state_category::degraded, "DEGRADED"},
        {18, false, state_category::optimal, "OPTIMAL"},
        {19, true, state_category::optimal, "OPTIMAL"},
        {19, false, state_category::degraded, "DEGRADED"},
        {20, true, state_category::failed, "FAILED"},
        {21, false, state_category::optimal, "OPTIMAL"},
        {22, false, state_category::degraded, "DEGRADED"},
        {33, true, state_category::failed, "FAILED"},
        {0x37, true, state_category::failed, "FAILED"},
    };
    for (const auto& c : cases) {
        int asked = 0;
        const state_category got = gui::categorize(c.code, [&] {
            ++asked;
            return c.members_good;
        });
        EXPECT_EQ(got, c.expected) << int(c.code);
        EXPECT_STREQ(gui::category_text(got), c.list_text) << int(c.code);
        EXPECT_EQ(asked, c.code == 19 ? 1 : 0) << "only code 19 asks about its members";
    }
    EXPECT_EQ(gui::long_state_text(21), "Degraded (Preventive)");
    EXPECT_EQ(gui::long_state_text(4), "Optimal (SMART attention) ");
    EXPECT_EQ(gui::long_state_text(7), "Undefined(7H)");
    EXPECT_EQ(gui::long_state_text(0x4A), "Undefined(4AH)");
}

TEST(GuiStateText, CapacitiesLevelsAndAdapterKinds)
{
    EXPECT_EQ(gui::gb_text(1234567), "1234.567");
    EXPECT_EQ(gui::gb_text(0), "0.000");
    EXPECT_EQ(gui::ld_capacity_text(0), "-");
    EXPECT_EQ(gui::ld_capacity_text(140014), "140.014");
    EXPECT_EQ(gui::new_ld_capacity_text(292000), "292");
    EXPECT_EQ(gui::new_ld_capacity_text(438014), "438.014\r\n");

    zan::LogicalDriveInfo info{};
    const struct {
        std::uint8_t level;
        std::uint8_t members;
        const char* text;
    } levels[] = {{0, 2, "RAID0"}, {1, 2, "RAID1"}, {1, 3, "RAID1"}, {1, 4, "RAID10"},
                  {5, 3, "RAID5"}, {80, 6, "RAID50"}, {3, 2, ""}};
    for (const auto& l : levels) {
        info.raid_level = l.level;
        info.member_count = l.members;
        for (int i = 0; i < l.members; ++i) info.members[i] = {static_cast<std::uint8_t>(i), 0, 0, {}, 0};
        EXPECT_EQ(gui::raid_level_text(info), l.text) << int(l.level) << "/" << int(l.members);
    }

    zan::ContInfo cont{};
    std::memcpy(cont.model_name, "ZAN8SAS ", 8);
    const struct {
        std::uint8_t driver_kind;
        const char* model;
        std::uint8_t kind;
        std::uint8_t slots;
    } kinds[] = {{6, "ZAN8SAS ", 1, 4}, {7, "ZAN8SAS ", 2, 8}, {7, "ZAN610  ", 3, 8}, {7, "ZAN610 X", 2, 8}, {1, "ZAN610  ", 0, 0}};
    for (const auto& k : kinds) {
        cont.driver_kind = k.driver_kind;
        std::memcpy(cont.model_name, k.model, 8);
        EXPECT_EQ(gui::adapter_kind(cont), k.kind) << k.model;
        EXPECT_EQ(gui::slot_count(gui::adapter_kind(cont)), k.slots);
    }
}

TEST(GuiSettings, ValuesOfEveryTypeAndRange)
{
    const std::uint8_t one[4] = {1, 0, 0, 0};
    const std::uint8_t two[4] = {2, 0, 0, 0};
    const std::uint8_t ninety_nine[4] = {99, 0, 0, 0};
    EXPECT_EQ(gui::locale_from_value(plat::REG_TYPE_DWORD, one), gui::locale::japanese);
    EXPECT_EQ(gui::locale_from_value(plat::REG_TYPE_DWORD, two), gui::locale::english);
    EXPECT_EQ(gui::locale_from_value(plat::REG_TYPE_DWORD, ninety_nine), gui::locale::english);
    EXPECT_EQ(gui::locale_from_value(plat::REG_TYPE_SZ, one), gui::locale::english);
    EXPECT_EQ(gui::locale_from_value(plat::REG_TYPE_DWORD, std::span(one, 2)), gui::locale::english);

    for (const std::uint8_t valid : {0x10, 0x11, 0x20, 0x21, 0x30, 0x31}) {
        const std::uint8_t data[1] = {valid};
        EXPECT_EQ(gui::locate_value_from_value(data), valid);
    }
    for (const std::uint8_t invalid : {0x41, 0x12, 0x0F, 0x00, 0xFF}) {
        const std::uint8_t data[1] = {invalid};
        EXPECT_EQ(gui::locate_value_from_value(data), 0x21) << int(invalid);
    }
    EXPECT_EQ(gui::locate_value_from_value({}), 0x21);

    const std::uint8_t levels[] = {3, 4, 200};
    EXPECT_EQ(gui::debug_level_from_value(std::span(levels, 1)), 3);
    EXPECT_EQ(gui::debug_level_from_value(std::span(levels + 1, 1)), 0);
    EXPECT_EQ(gui::debug_level_from_value(std::span(levels + 2, 1)), 0);
    EXPECT_EQ(gui::debug_level_from_value({}), 0);
}

// A RAID 50 of six members in two sub-groups, with and without a local spare
// counted among its members.
TEST(GuiLists, Raid50SubGroupsAndDriveRows)
{
    zan::LogicalDriveInfo info{};
    info.raid_level = gui::level_raid50;
    info.sub_group_count = 2;
    info.member_count = 6;
    for (int i = 0; i < 6; ++i) info.members[i].hdd = static_cast<std::uint8_t>(i);
    EXPECT_EQ(gui::sub_group_index(info, 0), 0);
    EXPECT_EQ(gui::sub_group_index(info, 2), 0);
    EXPECT_EQ(gui::sub_group_index(info, 3), 1);
    EXPECT_EQ(gui::sub_group_index(info, 5), 1);
    info.member_count = 7; // six data drives and a local spare at the end
    info.members[6] = {6, 2, 0, {}, 0};
    info.hot_spare_mode = gui::spare_local;
    EXPECT_EQ(gui::sub_group_index(info, 3), 1);

    gui::hdd_facts f;
    f.hdd = 3;
    f.state = 0;
    f.info.group = 1;
    f.info.drive_class = gui::use_member;
    f.info.size_mb.set(146000);
    f.sub_group = 1;
    EXPECT_EQ(gui::hdd_row(f), (gui::row{"HDD3", "LD1-1", "GOOD", "146.000"}));

    const struct {
        std::uint8_t state;
        std::uint8_t group;
        std::uint8_t use;
        gui::drive_mark mark;
        gui::row expected;
    } rows[] = {
        {0xFF, 0xFF, 0, gui::drive_mark::none, {"HDD3", "-", "-", "-"}},
        {0xFF, 2, 0, gui::drive_mark::none, {"HDD3", "LD2", "FAILED", "146.000"}},
        {0x80, 0xFF, 4, gui::drive_mark::none, {"HDD3", "-", "-", "-"}},
        {0x20, 1, 0, gui::drive_mark::none, {"HDD3", "LD1", "FAILED", "146.000"}},
        {0, 0, 2, gui::drive_mark::none, {"HDD3", "SP", "GOOD", "146.000"}},
        {0, 0, 3, gui::drive_mark::release_spare, {"HDD3", "Free *", "GOOD", "146.000"}},
        {0, 0, 4, gui::drive_mark::add_spare, {"HDD3", "SP *", "GOOD", "146.000"}},
        {0, 0, 1, gui::drive_mark::new_member, {"HDD3", "LD4 *", "GOOD", "146.000"}},
        {0x21, 0, 4, gui::drive_mark::none, {"HDD3", "Free", "FAILED", "146.000"}},
        {0, 0, 9, gui::drive_mark::none, {"HDD3", "-", "GOOD", "146.000"}},
    };
    for (const auto& r : rows) {
        gui::hdd_facts g;
        g.hdd = 3;
        g.state = r.state;
        g.info.group = r.group;
        g.info.drive_class = r.use;
        g.info.size_mb.set(146000);
        g.mark = r.mark;
        g.next_free = 4;
        EXPECT_EQ(gui::hdd_row(g), r.expected) << int(r.state) << "/" << int(r.use);
    }
    f.info.drive_class = gui::use_restorable;
    f.restorable = 3;
    EXPECT_EQ(gui::hdd_row(f)[1], "RLD3");
}

TEST(GuiLists, TaskRowsAndRowNumbers)
{
    zan::LogicalDriveInfo info{};
    info.operation_error_count.set(7);
    info.progress = 42;
    const struct {
        std::uint8_t rebuild, auto_rebuild, maintenance;
        bool check_available;
        gui::row expected;
    } rows[] = {
        {1, 1, 0, true, {"LD2", "DEGRADED", "Rebuild", "-", "7"}},
        {1, 0, 0, true, {"LD2", "DEGRADED", "-", "-", "7"}},
        {2, 0, 0, true, {"LD2", "DEGRADED", "Rebuild", "Rebuilding  42%", "0"}},
        {0, 0, 1, true, {"LD2", "DEGRADED", "Check Consistency", "Checking consistency  42%", "7"}},
        {0, 0, 2, false, {"LD2", "DEGRADED", "Check Consistency", "Making parity  42%", "7"}},
        {0, 0, 0, true, {"LD2", "DEGRADED", "Check Consistency", "-", "7"}},
        {0, 0, 0, false, {"LD2", "DEGRADED", "-", "-", "7"}},
    };
    for (const auto& r : rows) {
        info.rebuild_state = r.rebuild;
        info.auto_rebuild = r.auto_rebuild;
        info.maintenance_state = r.maintenance;
        EXPECT_EQ(gui::task_row(2, "DEGRADED", info, r.check_available), r.expected);
    }

    zan::RaidStatus status{};
    std::memset(status.ld_state, 0xFF, sizeof status.ld_state);
    status.ld_state[0] = status.ld_state[3] = status.ld_state[7] = 0;
    EXPECT_EQ(gui::ld_of_row(status, 2), 7);
    EXPECT_EQ(gui::ld_of_row(status, 3), std::nullopt);
    EXPECT_EQ(gui::ld_of_row(status, -1), std::nullopt);
    EXPECT_EQ(gui::next_free_ld(status), 1);

    const std::vector<gui::row> restorables = {{"RLD0"}, {"RLD11"}};
    EXPECT_EQ(gui::restorable_of_row(restorables, 1), 11);
    EXPECT_EQ(gui::restorable_of_row(restorables, 2), std::nullopt);
}

TEST(GuiInfo, BadSpotListsAreSortedWithoutRepeatsAndBounded)
{
    std::vector<std::uint32_t> list;
    zan::BadspotInfo a{};
    a.count.set(3);
    a.lba[0].set(0x300);
    a.lba[1].set(0x100);
    a.lba[2].set(0x200);
    gui::merge_bad_spots(list, a);
    gui::merge_bad_spots(list, a);
    EXPECT_EQ(list, (std::vector<std::uint32_t>{0x100, 0x200, 0x300}));

    zan::BadspotInfo many{};
    many.count.set(99); // more than the record holds: only its 16 entries count
    for (std::uint32_t round = 0; round < 20; ++round) {
        for (std::uint32_t i = 0; i < 16; ++i) many.lba[i].set(0x1000 + round * 16 + i);
        gui::merge_bad_spots(list, many);
    }
    EXPECT_EQ(list.size(), gui::bad_spot_limit);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
}

TEST(GuiOperations, SetupTextsInBothModes)
{
    gui::setup_request setup;
    setup.number = 2;
    setup.drive_count = 3;
    setup.hot_spare_mode = 0;
    setup.raid_level = 5;
    setup.write_cache_off = 1;
    setup.capacity_mb = 292000;
    EXPECT_EQ(gui::setup_text(setup), "Logical Drive No.\t\tLD2\r\nNumber of HDDs\t\t3\r\n"
                                      "Hot Spare Mode\t\tGlobal Hot Spare\r\nRAID Level\t\tRAID5\r\n"
                                      "Read Cache    \t\tON\r\nWrite Cache    \t\tOFF\r\n"
                                      "Logical Drive Capacity[GB]\t292");
    setup.restore = true;
    setup.restorable = 4;
    setup.raid_level = 1;
    setup.drive_count = 4;
    setup.hot_spare_mode = 2;
    setup.capacity_mb = 146001;
    EXPECT_EQ(gui::setup_text(setup), "Logical Drive(Restore) No.\tRLD4\r\nLogical Drive No.\t\tLD2\r\n"
                                      "Number of HDDs\t\t4\r\nHot Spare Mode\t\tNo Hot Spare\r\n"
                                      "RAID Level\t\tRAID10\r\nRead Cache    \t\tON\r\n"
                                      "Write Cache    \t\tOFF\r\nLogical Drive Capacity[GB]\t146.001\r\n");
    EXPECT_STREQ(gui::setup_title(setup).english, "Logical Drive(Restore) Setup Information");
}

TEST(GuiFirmware, PathBoxAndBlocks)
{
    EXPECT_EQ(gui::cut_path(std::string(300, 'a')).size(), 259u);
    EXPECT_EQ(gui::cut_path("c:\\fw.img"), "c:\\fw.img");
    EXPECT_FALSE(gui::update_button_enabled("", false));
    EXPECT_FALSE(gui::update_button_enabled("x.img", true));
    EXPECT_TRUE(gui::update_button_enabled("x.img", false));
    EXPECT_EQ(gui::progress_steps(10000), 3u);
    EXPECT_EQ(gui::progress_steps(8192), 2u);
    EXPECT_EQ(gui::progress_steps(1), 1u);
}

} // namespace
