// The utility's core against simulated machines: start-up, the pages' lists
// and enabling rules, every operation with its questions, messages and
// library calls, the error routine under injected faults, the information
// texts and the firmware update.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <plat/registry.h>

#include "firmware.h"
#include "info_text.h"
#include "operations.h"
#include "pages.h"
#include "session.h"
#include "settings.h"
#include "../../sim/engine/flash.h"
#include "sim/control.h"
#include "state_text.h"
#include "sim_root.h"

namespace {

class recording_ui : public gui::user_interface {
public:
    void show(const gui::message& box) override { shown.push_back(box); }
    bool ask(const gui::message& box) override
    {
        asked.push_back(box);
        if (answers.empty()) return true;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::vector<std::string> shown_texts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : shown) texts.push_back(box.text);
        return texts;
    }

    std::vector<gui::message> shown;
    std::vector<gui::message> asked;
    std::deque<bool> answers;
};

constexpr int demo_port = 2;

// Eight fresh drives on one adapter (port 2): 0 and 1 of 300000 MB, the rest
// of 146000 MB; drive 7 is failed.
const char eight_fresh[] = "[adapter 2]\n"
                           "[drive 0]\nsize_mb = 300000\n[drive 1]\nsize_mb = 300000\n"
                           "[drive 2]\nsize_mb = 146000\n[drive 3]\nsize_mb = 146000\n"
                           "[drive 4]\nsize_mb = 146000\n[drive 5]\nsize_mb = 146000\n"
                           "[drive 6]\nsize_mb = 146000\n[drive 7]\nsize_mb = 146000\nstate = alarm0\n";

class GuiSession : public ::testing::Test {
protected:
    ~GuiSession() override { (void)finContData(); }

    void machine(const std::string& scenario)
    {
        ASSERT_EQ(sim::create_root(scenario), "");
        s = std::make_unique<gui::session>(ui, gui::util_settings{});
        ASSERT_TRUE(gui::init_controllers(*s));
    }

    gui::page_state opened(gui::page_id id)
    {
        gui::page_state page(id);
        gui::refresh_page(*s, page, gui::refresh_plain);
        return page;
    }

    std::uint64_t requests(int port = demo_port)
    {
        std::uint64_t count = 0;
        EXPECT_EQ(sim::request_count(port, count), "");
        return count;
    }

    zan_test::sim_root root;
    recording_ui ui;
    std::unique_ptr<gui::session> s;
};

TEST_F(GuiSession, DemoPagesListBothAdaptersAndCostOneRequestPerRecord)
{
    machine(sim::demo_scenario());
    ASSERT_EQ(s->controllers.size(), 2u);
    EXPECT_EQ(gui::controller_box_text(*s, 1), "ZAN8SAS (adapter1)");

    const std::uint64_t before = requests();
    gui::page_state view = opened(gui::page_id::view);
    // RaidStatus, two logical drives for the first list and once more for
    // the drive list, eight drives.
    EXPECT_EQ(requests() - before, 13u);
    EXPECT_EQ(view.ld_rows, (std::vector<gui::row>{{"LD0", "OPTIMAL", "140.014", "RAID1", ""},
                                                   {"LD1", "OPTIMAL", "572.204", "RAID5", "D:"}}));
    EXPECT_EQ(view.hdd_rows[5], (gui::row{"HDD5", "SP", "GOOD", "286.102"}));
    EXPECT_EQ(view.hdd_rows[6], (gui::row{"HDD6", "Free", "GOOD", "140.014"}));

    ASSERT_TRUE(gui::select_controller(*s, 1));
    gui::refresh_page(*s, view, gui::refresh_plain);
    EXPECT_EQ(view.ld_rows, (std::vector<gui::row>{{"LD0", "OPTIMAL", "280.028", "RAID10", ""},
                                                   {"LD1", "OPTIMAL", "572.204", "RAID0", ""}}));
    EXPECT_EQ(view.hdd_rows[6][1], "SP");

    const gui::page_state tasks = opened(gui::page_id::maintain);
    EXPECT_EQ(tasks.task_rows[0], (gui::row{"LD0", "OPTIMAL", "Check Consistency", "-", "0"}));
    EXPECT_EQ(tasks.task_rows[1], (gui::row{"LD1", "OPTIMAL", "-", "-", "0"})) << "RAID 0 cannot be checked";
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(GuiSession, CreateOffersLevelsBySelectionAndCreatesWhatItShows)
{
    machine(eight_fresh);
    gui::page_state page = opened(gui::page_id::create);
    EXPECT_FALSE(page.levels_enabled);
    EXPECT_EQ(page.buttons[0], false);

    const std::vector<std::vector<std::string>> choices = {
        {"RAID0"}, {"RAID0", "RAID1"}, {"RAID0", "RAID5"}, {"RAID0", "RAID5", "RAID10"},
        {"RAID0", "RAID5"}, {"RAID0", "RAID5", "RAID10"}};
    for (int hdd = 0; hdd < 6; ++hdd) {
        gui::click_row(*s, page, hdd);
        EXPECT_EQ(page.levels, choices[static_cast<std::size_t>(hdd)]);
        EXPECT_EQ(page.level, 0) << "every change resets the level";
        EXPECT_TRUE(page.read_cache_on);
        EXPECT_FALSE(page.write_cache_on);
        EXPECT_EQ(page.hdd_rows[static_cast<std::size_t>(hdd)][1], "LD0 *");
    }
    gui::click_row(*s, page, 7);
    EXPECT_EQ(page.marks.members.size(), 6u) << "a failed drive cannot be selected";
    gui::choose_level(*s, page, 2);
    EXPECT_EQ(page.marks.capacity_mb, 3 * 146000u);
    EXPECT_EQ(page.marks.hot_spare_mode, gui::spare_global);
    EXPECT_TRUE(page.marks.sizes_differ);

    // Drives 3, 4 and 5 leave the selection: RAID 5 over 300000, 300000, 146000.
    for (int hdd : {3, 4, 5}) gui::click_row(*s, page, hdd);
    gui::choose_level(*s, page, 1);
    EXPECT_EQ(page.info_text, "Logical Drive No.\t\tLD0\r\nLogical Drive Capacity[GB]\t292");
    gui::set_cache_boxes(page, true, true);
    const gui::dialog_request request = gui::press_button(*s, page, 0);
    ASSERT_EQ(request.kind, gui::dialog_kind::raid_info);
    EXPECT_EQ(gui::setup_text(page.setup), "Logical Drive No.\t\tLD0\r\nNumber of HDDs\t\t3\r\n"
                                           "Hot Spare Mode\t\tGlobal Hot Spare\r\nRAID Level\t\tRAID5\r\n"
                                           "Read Cache    \t\tON\r\nWrite Cache    \t\tON\r\n"
                                           "Logical Drive Capacity[GB]\t292");
    gui::close_setup(*s, page, true);
    ASSERT_EQ(ui.asked.size(), 2u);
    EXPECT_EQ(ui.asked[0].text, "Some HDDs have different capacity.  \r\nCreate the Logical Drive?");
    EXPECT_EQ(ui.asked[1].text, "Creating Logical Drive.");
    EXPECT_EQ(ui.shown_texts(), (std::vector<std::string>{"Logical Drive was created, but there is no Global HS.\r\n"
                                                          "Please assign at lease one Global HS."}));
    zan::LogicalDriveInfo info{};
    ASSERT_TRUE(getLogicalDriveInfo(0, 0, &info));
    EXPECT_EQ(info.raid_level, 5);
    EXPECT_EQ(info.member_count, 3);
    EXPECT_EQ(page.marks.members.size(), 0u) << "the page was refreshed";
    EXPECT_EQ(page.hdd_rows[2][1], "LD0");
}

TEST_F(GuiSession, CreateWithoutSpareAndCancelledQuestionsChangeNothing)
{
    machine("[adapter 2]\ndriver = Lynraid1\n[drive 0]\n[drive 1]\n[drive 2]\n[drive 3]\n"
            "[logical 0]\nlevel = 1\nmembers = 0 1\n");
    EXPECT_EQ(s->controller().kind, 1);
    gui::page_state page = opened(gui::page_id::create);
    EXPECT_EQ(page.hdd_rows.size(), 4u);
    gui::click_row(*s, page, 2);
    gui::click_row(*s, page, 3);
    gui::choose_level(*s, page, 1);
    EXPECT_EQ(page.marks.hot_spare_mode, gui::spare_none) << "no spare and no other free drive";

    ASSERT_EQ(gui::press_button(*s, page, 0).kind, gui::dialog_kind::raid_info);
    ui.answers = {false};
    gui::close_setup(*s, page, true);
    zan::RaidStatus status{};
    ASSERT_TRUE(getRaidStatus(0, &status));
    EXPECT_EQ(status.ld_state[1], 0xFF);

    gui::click_row(*s, page, 2);
    gui::click_row(*s, page, 3);
    gui::choose_level(*s, page, 1);
    ASSERT_EQ(gui::press_button(*s, page, 0).kind, gui::dialog_kind::raid_info);
    gui::close_setup(*s, page, true);
    ASSERT_TRUE(getRaidStatus(0, &status));
    EXPECT_NE(status.ld_state[1], 0xFF);
    EXPECT_TRUE(ui.shown.empty()) << "no warning about spares in mode none";
}

TEST_F(GuiSession, DeleteAsksTwiceOrThriceAndRefusesVolumes)
{
    machine(sim::demo_scenario());
    gui::page_state page = opened(gui::page_id::remove);
    EXPECT_FALSE(page.buttons[0]);
    gui::click_row(*s, page, 1);
    EXPECT_TRUE(page.buttons[0]);
    (void)gui::press_button(*s, page, 0);
    EXPECT_EQ(ui.shown_texts(), (std::vector<std::string>{"Cannot delete the Logical Drive which has drive latter[s]."}));
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_FALSE(page.buttons[0]) << "the page was refreshed";

    gui::click_row(*s, page, 0);
    ui.answers = {true, true, false};
    (void)gui::press_button(*s, page, 0);
    ASSERT_EQ(ui.asked.size(), 3u);
    EXPECT_EQ(ui.asked[2].text, "Delete the Logical Drive(LD0)?");
    EXPECT_EQ(page.ld_rows.size(), 2u);
    gui::click_row(*s, page, 0);
    (void)gui::press_button(*s, page, 0);
    EXPECT_EQ(page.ld_rows.size(), 1u);
    EXPECT_EQ(page.ld_rows[0][0], "LD1");
}

TEST_F(GuiSession, SparesStayWithinTwoAndFailuresKeepTheirMessage)
{
    machine(sim::demo_scenario());
    gui::page_state page = opened(gui::page_id::spares);
    EXPECT_EQ(page.spare_rows.size(), 1u);
    gui::click_row(*s, page, 6);
    gui::click_row(*s, page, 7);
    EXPECT_EQ(page.hdd_rows[6][1], "SP *");
    EXPECT_EQ(page.hdd_rows[7][1], "Free") << "one spare exists: one more may be added";
    EXPECT_TRUE(page.buttons[0]);
    gui::click_row(*s, page, 6);
    EXPECT_FALSE(page.buttons[0]) << "no mark left";

    // An adapter that keeps failing the request: the spare message stays.
    gui::click_row(*s, page, 6);
    ASSERT_EQ(sim::inject_status(demo_port, 0x8013, 5), "");
    (void)gui::press_button(*s, page, 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Failed to assign a Global HS.\r\nPlease confirm the state of HDD. ");
    EXPECT_EQ(ui.shown[0].caption, "Setup Global HS");
    EXPECT_FALSE(s->fatal);

    gui::click_row(*s, page, 6);
    (void)gui::press_button(*s, page, 0);
    EXPECT_EQ(page.spare_rows.size(), 2u);
    EXPECT_EQ(page.hdd_rows[6][1], "SP");
    gui::click_row(*s, page, 7);
    EXPECT_EQ(page.hdd_rows[7][1], "Free") << "two spares: none may be added";
}

// The error routine's decisions, each fatal one shown once.
TEST_F(GuiSession, ErrorRoutineDecidesByTheLibraryFlags)
{
    machine(sim::demo_scenario());
    gui::page_state spares = opened(gui::page_id::spares);
    gui::click_row(*s, spares, 6);
    ASSERT_EQ(sim::inject_status(demo_port, 0x8005, 1), "");
    (void)gui::press_button(*s, spares, 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Failed to assign a Global HS.\r\nPlease confirm the state of HDD. ");
    EXPECT_FALSE(s->fatal);

    gui::page_state page = opened(gui::page_id::maintain);
    gui::click_row(*s, page, 0);
    ASSERT_EQ(sim::inject_status(demo_port, 0x8013, 5), "");
    (void)gui::press_button(*s, page, 1);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "An error has occurred on accessing to RAID adapter.");
    EXPECT_EQ(ui.shown[1].caption, "RAID Management Console");
    EXPECT_TRUE(s->fatal);
    gui::report_error(*s, "again", gui::texts::create_failed, gui::texts::console_title);
    EXPECT_EQ(ui.shown.size(), 2u) << "nothing more after a fatal error";

    s->fatal = false;
    ASSERT_EQ(sim::inject_busy(demo_port, 400), "");
    gui::refresh_page(*s, page, gui::refresh_plain);
    EXPECT_EQ(ui.shown.back().text, "Another application is using the RAID adapters.\r\nPlease try again later.");
    ASSERT_EQ(sim::clear_faults(demo_port), "");

    s->fatal = false;
    EXPECT_FALSE(getLogicalDriveInfo(0, 12, nullptr));
    gui::report_error(*s, "test-getLogicalDriveInfo", gui::texts::create_failed, gui::texts::console_title);
    EXPECT_EQ(ui.shown.back().text.rfind("Internal error has occurred. (code=0x", 0), 0u);

    s->fatal = false;
    ASSERT_EQ(sim::set_silent(demo_port, true), "");
    gui::refresh_page(*s, page, gui::refresh_plain);
    EXPECT_EQ(ui.shown.back().text.rfind("An error has occurred with Windows API. (code=0x", 0), 0u);
}

TEST_F(GuiSession, DriveMenusAndCommands)
{
    machine("[adapter 2]\n[drive 0]\n[drive 1]\n[drive 2]\n[drive 3]\nstate = alarm0\n[drive 5]\n"
            "[logical 0]\nlevel = 1\nmembers = 0 1\n");
    gui::page_state page = opened(gui::page_id::view);
    EXPECT_EQ(page.hdd_rows[4], (gui::row{"HDD4", "-", "-", "-"}));
    const gui::drive_menu_state absent = gui::drive_menu(page, 4);
    EXPECT_FALSE(absent.info || absent.force_good || absent.force_failed || absent.location);
    const gui::drive_menu_state good = gui::drive_menu(page, 0);
    EXPECT_TRUE(good.info && good.location);
    EXPECT_FALSE(good.force_good || good.force_failed);
    EXPECT_TRUE(gui::drive_menu(page, 3).force_good);
    EXPECT_EQ(gui::drive_command(*s, page, 3, gui::menu_command::hdd_info).kind, gui::dialog_kind::hdd_info);
    EXPECT_EQ(gui::drive_command(*s, page, 99, gui::menu_command::hdd_info).kind, gui::dialog_kind::none);
    EXPECT_EQ(gui::ld_command(*s, page, -1, gui::menu_command::ld_info).kind, gui::dialog_kind::none);
    EXPECT_EQ(gui::ld_command(*s, page, 1, gui::menu_command::ld_info).kind, gui::dialog_kind::none) << "one LD only";

    ASSERT_EQ(sim::inject_status(demo_port, 0x8013, 5), "");
    (void)gui::drive_command(*s, page, 3, gui::menu_command::hdd_good);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Failed to change the state of HDD.\r\nPlease confirm the state of HDD. ");
    EXPECT_EQ(ui.shown[0].caption, "View Configuration");
    EXPECT_EQ(page.hdd_rows[3][2], "FAILED");
    (void)gui::drive_command(*s, page, 3, gui::menu_command::hdd_good);
    EXPECT_EQ(page.hdd_rows[3][2], "GOOD");
    (void)gui::drive_command(*s, page, 1, gui::menu_command::hdd_fail);
    EXPECT_EQ(page.hdd_rows[1][2], "GOOD") << "Force Failed is never enabled";
    s->settings.locate_value = 0x31;
    (void)gui::drive_command(*s, page, 2, gui::menu_command::led_on);
    (void)gui::drive_command(*s, page, 2, gui::menu_command::led_off);
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_FALSE(s->fatal) << "the drive-state message survives an adapter-access failure";
}

// Double clicks and clicks on the empty logical-drive lists of a machine
// without logical drives or restorables open nothing and enable nothing.
TEST_F(GuiSession, EmptyListsIgnoreClicks)
{
    machine("[adapter 2]\n[drive 0]\n[drive 1]\n");
    for (const gui::page_id id : {gui::page_id::view, gui::page_id::remove, gui::page_id::restore, gui::page_id::maintain}) {
        gui::page_state page = opened(id);
        for (const int row : {-1, 0, 1}) {
            gui::click_row(*s, page, row);
            // "View Configuration" selects in its drive list, never empty.
            if (id != gui::page_id::view) {
                EXPECT_EQ(page.selected, -1) << static_cast<int>(id) << " row " << row;
            }
            EXPECT_EQ(page.buttons[1] || page.buttons[2] || page.buttons[3], false) << static_cast<int>(id);
            EXPECT_EQ(gui::ld_command(*s, page, row, gui::menu_command::ld_info).kind, gui::dialog_kind::none);
        }
        EXPECT_EQ(page.buttons[0], id == gui::page_id::view) << static_cast<int>(id);
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_FALSE(s->fatal);
}

TEST_F(GuiSession, MaintainStartsWatchesAndStopsTasks)
{
    machine(sim::demo_scenario());
    ASSERT_EQ(sim::set_clock(1'000'000'000'000), "");
    gui::page_state page = opened(gui::page_id::maintain);
    gui::click_row(*s, page, 1);
    EXPECT_EQ(page.buttons, (std::array<bool, 4>{false, true, true, false}));
    (void)gui::press_button(*s, page, 1);
    EXPECT_EQ(page.task_rows[1][3], "Checking consistency  0%");
    gui::click_row(*s, page, 1);
    EXPECT_EQ(page.buttons, (std::array<bool, 4>{false, false, false, true}));

    // The timer keeps the row and follows the progress.
    ASSERT_EQ(sim::advance_clock(20'000), "");
    ASSERT_TRUE(gui::timer_tick(*s));
    gui::refresh_page(*s, page, gui::refresh_timer);
    EXPECT_EQ(page.selected, 1);
    EXPECT_NE(page.task_rows[1][3], "Checking consistency  0%");
    EXPECT_TRUE(page.buttons[3]);

    (void)gui::press_button(*s, page, 3);
    EXPECT_EQ(page.task_rows[1][3], "-");
    gui::click_row(*s, page, 1);
    (void)gui::press_button(*s, page, 2);
    gui::click_row(*s, page, 1);
    ASSERT_EQ(sim::set_inconsistencies(demo_port, 1, 500), "");
    ASSERT_EQ(sim::advance_clock(60'000), "");
    gui::refresh_page(*s, page, gui::refresh_timer);
    EXPECT_EQ(ui.shown_texts(), (std::vector<std::string>{
                                    "Stopped(Check Consistency, Make Parity). \r\nBecause error count exceeded 100."}));
    EXPECT_EQ(page.task_rows[1][3], "-");

    // STOP on a drive whose task ended meanwhile.
    page.selected = 1;
    page.buttons[3] = true;
    (void)gui::press_button(*s, page, 3);
    EXPECT_EQ(ui.shown.back().text, "Already finished(Check Consistency, Make Parity).");

    s->suspending = true;
    EXPECT_FALSE(gui::timer_tick(*s));
}

TEST_F(GuiSession, RestorableDrivesAreListedRestoredAndDeleted)
{
    machine(eight_fresh);
    std::uint32_t number = 0;
    ASSERT_EQ(sim::add_restore_candidate(demo_port, 5, {2, 3, 4}, number), "");
    ASSERT_EQ(sim::add_restore_candidate(demo_port, 1, {5, 6}, number), "");
    gui::page_state page = opened(gui::page_id::restore);
    ASSERT_EQ(page.restore_rows.size(), 2u);
    EXPECT_EQ(page.restore_rows[0][0], "RLD0");
    EXPECT_EQ(page.restore_rows[0][3], "RAID5");
    EXPECT_EQ(page.hdd_rows[3][1], "RLD0");
    EXPECT_EQ(page.hdd_rows[6][1], "RLD1");

    gui::click_row(*s, page, 0);
    EXPECT_EQ(page.buttons, (std::array<bool, 4>{true, true, false, false}));
    ASSERT_EQ(gui::press_button(*s, page, 0).kind, gui::dialog_kind::raid_info);
    EXPECT_EQ(gui::setup_text(page.setup).rfind("Logical Drive(Restore) No.\tRLD0\r\nLogical Drive No.\t\tLD0\r\n", 0), 0u);
    gui::close_setup(*s, page, true);
    EXPECT_EQ(ui.asked.back().text, "RLD0 is restored as LD0. ");
    EXPECT_EQ(page.restore_rows.size(), 1u);
    EXPECT_EQ(page.hdd_rows[3][1], "LD0");

    gui::click_row(*s, page, 0);
    (void)gui::press_button(*s, page, 1);
    EXPECT_EQ(ui.asked.back().text, "Delete the Logical Drive(Restore)?");
    EXPECT_TRUE(page.restore_rows.empty());
    EXPECT_EQ(page.hdd_rows[6][1], "Free");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(GuiSession, InformationTexts)
{
    machine(sim::demo_scenario());
    ASSERT_EQ(sim::add_bad_spots(demo_port, 2, {0x500, 0x20}), "");
    ASSERT_EQ(sim::add_bad_spots(demo_port, 3, {0x20}), "");
    gui::page_state view = opened(gui::page_id::view);
    const std::optional<gui::info_dialog> ld = gui::ld_dialog(*s, 1);
    ASSERT_TRUE(ld);
    EXPECT_EQ(ld->text, "Logical Drive No.\t\tLD1\r\nState\t\t\tOptimal\r\nNumber of HDDs\t\t3\r\n"
                        "Hot Spare Mode\t\tGlobal Hot Spare\r\nRAID Level\t\tRAID5\r\n"
                        "Read Cache    \t\tON\r\nWrite Cache    \t\tOFF\r\n"
                        "Logical Drive Capacity[GB]\t572.204\r\nAssigned to     \t\tD:\r\n"
                        "Data Lost\t\t\tNothing\r\nBad Spot (LBA)\t\t00000020h\r\n\t\t\t00000500h\r\n");
    EXPECT_EQ(ld->at_opening, (gui::setting_boxes{1, 0, 1}));
    EXPECT_EQ(gui::ld_dialog(*s, 0)->text.substr(gui::ld_dialog(*s, 0)->text.rfind("Bad")), "Bad Spot (LBA)\t\t\r\n");

    const std::optional<std::string> hdd = gui::hdd_dialog(*s, 6);
    ASSERT_TRUE(hdd);
    EXPECT_EQ(*hdd, "Physical Drive Num\t\tHDD6\r\nVendor ID\t\t\tORMOLU  \r\nProduct ID\t\t\tOR146SA         \r\n"
                    "Revision\t\t\tA3  \r\nStatus\t\t\tGood\r\nUtilization\t\t\tFree(Fresh HDD)\r\n"
                    "Capacity[GB]\t\t140.014\r\nSAS/SATA Link rate\t\t1.5Gbps\r\n"
                    "Medium sector error\t\t0\r\nState of SMART\t\tSMART Attention has not been received.\r\n");
    EXPECT_NE(gui::hdd_dialog(*s, 2)->find("Utilization\t\t\tLogical Drive Member(LD1)\r\n"), std::string::npos);
    ASSERT_EQ(sim::pull_drive(demo_port, 7), "");
    EXPECT_FALSE(gui::hdd_dialog(*s, 7)) << "an absent free drive closes its dialog at once";

    std::optional<gui::info_dialog> adapter = gui::adapter_dialog(*s);
    ASSERT_TRUE(adapter);
    EXPECT_EQ(adapter->text, "adapter ID\t\tNo. 0, (BUS=3,DEV=1)\r\nProcessor Revision\t01000203\r\n"
                             "SAS Address\t\t5000a1d000000200\r\nGeneral Revision\t\t1.10\r\n"
                             "Boot Firmware Revision\tBT1.02\r\nDriver Revision\t\t1.20.00 \r\n"
                             "Cache Size\t\t192MB\r\nadapter Revision\t\t2\r\nMemory Size\t\t256MB\r\n");
    EXPECT_EQ(adapter->at_opening, (gui::setting_boxes{0, 1, 1}));
    s->settings.language = gui::locale::japanese;
    EXPECT_EQ(gui::adapter_dialog(*s)->text,
              "adapter ID\t\tNo. 0, (BUS=3,DEV=1)\r\nプロセッサリビジョン\t\t01000203\r\n"
              "SASアドレス\t\t5000a1d000000200\r\nGeneral Revision\t\t1.10\r\n"
              "ブートファームウェアリビジョン\tBT1.02\r\nDriver Revision\t\t1.20.00 \r\n"
              "Cache Size\t\t192MB\r\nadapter Revision\t\t2\r\nMemory Size\t\t256MB\r\n");
    s->settings.language = gui::locale::english;
    ui.answers = {false};
    EXPECT_FALSE(gui::may_close(*s, *adapter, {2, 1, 1}, true));
    EXPECT_TRUE(gui::may_close(*s, *adapter, {0, 1, 1}, true)) << "a box changed back asks nothing";
    EXPECT_EQ(ui.asked.size(), 1u);
    ASSERT_TRUE(gui::set_adapter_settings(*s, *adapter, {2, 2, 0}));
    zan::ContInfo info{};
    ASSERT_TRUE(getContInfo(0, &info));
    EXPECT_EQ(info.rebuild_priority_idle.get(), 3u);
    EXPECT_EQ(info.patrol_read_delay.get(), 1u);
    EXPECT_FALSE(gui::settings_changed(*adapter, {2, 2, 0}));

    std::optional<gui::info_dialog> props = gui::ld_dialog(*s, 0);
    ASSERT_TRUE(gui::set_ld_properties(*s, 0, *props, {0, 0, 0}));
    zan::LogicalDriveInfo ld0{};
    ASSERT_TRUE(getLogicalDriveInfo(0, 0, &ld0));
    EXPECT_EQ(ld0.read_cache, 1);
    EXPECT_EQ(ld0.write_cache, 1);
    EXPECT_EQ(ld0.auto_rebuild, 1);
    ASSERT_EQ(sim::inject_status(demo_port, 0x8005, 1), "");
    EXPECT_FALSE(gui::set_ld_properties(*s, 0, *props, {1, 1, 1}));
    EXPECT_EQ(ui.shown.back().text, "Failed to set Read Cache Mode. ");
}

// ---- Firmware update ------------------------------------------------------------

// An image file the simulated adapter takes, `extra` bytes longer or shorter.
std::string write_image(const std::string& path, const char* revision, std::uint32_t length, int extra = 0)
{
    sim::image_file image;
    image.revision = revision;
    image.length = length;
    image.author = "Meridan";
    std::vector<std::uint8_t> bytes = sim::build_image_file(image);
    bytes.resize(static_cast<std::size_t>(static_cast<int>(bytes.size()) + extra));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// A file of `size` zero bytes (sparse).
std::string empty_file(const std::string& path, std::uint64_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.close();
    std::filesystem::resize_file(path, size);
    return path;
}

// A 20 MiB image whose header agrees with its size: beyond what the
// transfer's 24-bit offsets reach.
std::string huge_image(const std::string& path)
{
    const std::uint32_t length = 20u << 20;
    write_image(path, "1.30", 64);
    std::filesystem::resize_file(path, std::uint64_t{length} + 256);
    std::fstream patch(path, std::ios::binary | std::ios::in | std::ios::out);
    patch.seekp(48);
    const char be[4] = {static_cast<char>(length >> 24), static_cast<char>(length >> 16), static_cast<char>(length >> 8),
                        static_cast<char>(length)};
    patch.write(be, 4);
    return path;
}

TEST_F(GuiSession, FirmwareUpdateChecksTheImageAndSendsItBlockByBlock)
{
    machine(sim::demo_scenario());
    const std::string folder = root.path() + "/";
    struct {
        std::string path;
        const char* message;
    } refused[] = {
        {folder + "missing.img", "The update file was not found.\r\nPlease correct its path."},
        {write_image(folder + "mixed.Img", "1.30", 10000), "The file is not an update image."},
        {write_image(folder + "long.img", "1.30", 10000, 1), "The update file may be broken."},
        {write_image(folder + "short.img", "1.30", 10000, -1), "The update file may be broken."},
        {folder, "The update file was not found.\r\nPlease correct its path."},
        {empty_file(folder + "empty.img", 0), "The file is not an update image."},
        {huge_image(folder + "huge.img"), "The update file may be broken."},
    };
    for (const auto& r : refused) {
        gui::firmware_update update;
        EXPECT_FALSE(gui::check_update_image(*s, update, r.path)) << r.path;
        ASSERT_FALSE(ui.shown.empty());
        EXPECT_EQ(ui.shown.back().text, r.message) << r.path;
        EXPECT_FALSE(update.image.is_open());
    }

    gui::firmware_update older;
    ASSERT_TRUE(gui::check_update_image(*s, older, write_image(folder + "old.img", "1.09", 10000)));
    EXPECT_FALSE(gui::prepare_download(*s, older));
    EXPECT_EQ(ui.shown.back().text, "The update file is an older revision.\r\nThe update cannot be executed.");

    gui::firmware_update update;
    const std::string path = write_image(folder + "new.img", "1.10", 10000);
    ASSERT_TRUE(gui::check_update_image(*s, update, path));
    EXPECT_EQ(gui::update_info_text(*s, update), "Current General Revision\t1.10\r\nUpdate File\r\nLocation\t\t" + path +
                                                     "\r\nGeneral Revision\t1.10\r\nDate\t\t\t2009/4/24\r\n"
                                                     "Author\t\t\tMeridan\r\nSize\t\t\t2710H\r\n");
    ASSERT_TRUE(gui::prepare_download(*s, update));
    const std::uint64_t before = requests();
    std::vector<std::uint32_t> steps;
    const std::optional<gui::message> end = gui::run_download(*s, update, [&](std::uint32_t n) { steps.push_back(n); });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->text, "The firmware update has finished.\r\nThe new firmware takes effect after the system restarts.");
    EXPECT_EQ(steps, (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(requests() - before, 3u);
    EXPECT_FALSE(update.running);

    // An adapter that stays busy fails the update; a cleared flag stops it silently.
    gui::firmware_update busy;
    ASSERT_TRUE(gui::check_update_image(*s, busy, path));
    ASSERT_TRUE(gui::prepare_download(*s, busy));
    ASSERT_EQ(sim::inject_busy(demo_port, 351), "");
    const std::optional<gui::message> failed = gui::run_download(*s, busy, [](std::uint32_t) {});
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->text, "An I/O device error made the firmware update fail.");
    ASSERT_EQ(sim::clear_faults(demo_port), "");

    gui::firmware_update stopped;
    ASSERT_TRUE(gui::check_update_image(*s, stopped, path));
    ASSERT_TRUE(gui::prepare_download(*s, stopped));
    gui::stop_update(stopped);
    EXPECT_FALSE(gui::run_download(*s, stopped, [](std::uint32_t) {}));
}

// ---- Settings and the debug log -----------------------------------------------------

TEST_F(GuiSession, SettingsKeyIsCreatedAndReadWithWrongTypes)
{
    ASSERT_EQ(sim::create_root(sim::demo_scenario()), "");
    const gui::util_settings fresh = gui::read_settings();
    EXPECT_EQ(fresh.language, gui::locale::english);
    EXPECT_EQ(fresh.locate_value, 0x21);
    plat::reg_key key;
    ASSERT_EQ(key.open(gui::settings_key, plat::reg_access::all), 0u);
    std::uint32_t type = 0;
    std::uint8_t data[4] = {9, 9, 9, 9};
    std::uint32_t size = sizeof data;
    ASSERT_EQ(key.query_value("Locale", type, data, size), 0u);
    EXPECT_EQ(type, plat::REG_TYPE_DWORD);
    EXPECT_EQ(data[0], 0);

    const std::string text(100, 'x');
    ASSERT_EQ(key.set_value("Locale", plat::REG_TYPE_SZ, "1", 2), 0u);
    ASSERT_EQ(key.set_value("DBGmode", plat::REG_TYPE_SZ, text.c_str(), 101), 0u);
    const std::uint8_t locate[4] = {0x31, 0, 0, 0};
    ASSERT_EQ(key.set_value("LocateValue", plat::REG_TYPE_DWORD, locate, 4), 0u);
    gui::util_settings read = gui::read_settings();
    EXPECT_EQ(read.language, gui::locale::english);
    EXPECT_EQ(read.debug_level, 0) << "'x' is no debug level";
    EXPECT_EQ(read.locate_value, 0x31);

    const std::uint8_t japanese[4] = {1, 0, 0, 0};
    const std::uint8_t level[1] = {2};
    ASSERT_EQ(key.set_value("Locale", plat::REG_TYPE_DWORD, japanese, 4), 0u);
    ASSERT_EQ(key.set_value("DBGmode", plat::REG_TYPE_BINARY, level, 1), 0u);
    read = gui::read_settings();
    EXPECT_EQ(read.language, gui::locale::japanese);
    EXPECT_EQ(read.debug_level, 2);
}

// Values of any type and size, empty and huge ones included, are read whole
// and without harm; what is not a valid setting counts as its default.
TEST_F(GuiSession, SettingsOfAnyTypeAndSize)
{
    ASSERT_EQ(sim::create_root(sim::demo_scenario()), "");
    (void)gui::read_settings(); // creates the key
    plat::reg_key key;
    ASSERT_EQ(key.open(gui::settings_key, plat::reg_access::all), 0u);
    constexpr std::uint32_t multi_sz = 7;
    constexpr std::uint32_t qword = 11;
    const std::vector<std::uint8_t> huge(100000, 0x01);
    const std::vector<std::uint8_t> empty;
    const std::vector<std::uint8_t> one_qword{1, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> multi{'1', 0, 0};
    const struct {
        std::uint32_t type;
        const std::vector<std::uint8_t>& data;
        std::uint8_t level;
        std::uint8_t locate;
    } cases[] = {
        {plat::REG_TYPE_BINARY, huge, 1, 0x21},
        {plat::REG_TYPE_DWORD, empty, 0, 0x21},
        {qword, one_qword, 1, 0x21},
        {multi_sz, multi, 0, 0x31},
    };
    for (const auto& c : cases) {
        for (const char* name : {"Locale", "DBGmode", "LocateValue"})
            ASSERT_EQ(key.set_value(name, c.type, c.data.data(), static_cast<std::uint32_t>(c.data.size())), 0u);
        const gui::util_settings read = gui::read_settings();
        EXPECT_EQ(read.language, gui::locale::english) << c.type;
        EXPECT_EQ(read.debug_level, c.level) << c.type;
        EXPECT_EQ(read.locate_value, c.locate) << c.type;
    }
}

// The 30 s timer and the power notices: which notices stop and restart the
// timer, ticks that only log while suspending, and a timer refresh on an
// adapter that stopped answering, which closes the window once.
TEST_F(GuiSession, TimerAndPowerNotices)
{
    machine(sim::demo_scenario());
    const std::string path = root.path() + "/zanutil.log";
    s->settings.debug_level = 2;
    gui::open_debug_log(*s, path.c_str());
    using gui::power_event;
    const struct {
        power_event event;
        bool timer_runs;
        bool tick_refreshes;
    } notices[] = {
        {power_event::suspend_query, false, true}, {power_event::suspend_failed, true, true},
        {power_event::suspend_query, false, true}, {power_event::suspend, false, false},
        {power_event::resume, true, true},
    };
    for (const auto& n : notices) {
        EXPECT_EQ(gui::power_notice(*s, n.event), n.timer_runs) << static_cast<int>(n.event);
        EXPECT_EQ(gui::timer_tick(*s), n.tick_refreshes) << static_cast<int>(n.event);
    }
    s->log.close();
    std::ifstream in(path);
    std::vector<std::string> entries;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("=====", 0) != 0) entries.push_back(line);
    EXPECT_EQ(entries, (std::vector<std::string>{"Suspend requested", "Suspend request cancelled", "Suspend requested",
                                                 "Suspending", "Timer ignored while suspending", "Resumed"}));

    gui::page_state page = opened(gui::page_id::maintain);
    ASSERT_EQ(sim::set_silent(demo_port, true), "");
    for (int tick = 0; tick < 2; ++tick) {
        if (gui::timer_tick(*s)) gui::refresh_page(*s, page, gui::refresh_timer);
    }
    EXPECT_TRUE(s->fatal);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "An error has occurred with Windows API. (code=0x79)");
    EXPECT_TRUE(ui.shown[0].topmost);
}

TEST_F(GuiSession, DebugLogKeepsTheBannerAndDatedEntries)
{
    machine(sim::demo_scenario());
    const std::string path = root.path() + "/zanutil.log";
    s->settings.debug_level = 1;
    gui::open_debug_log(*s, path.c_str());
    gui::report_error(*s, "Page0Proc-getRaidStatus", gui::texts::adapter_access, gui::texts::console_title);
    EXPECT_FALSE(gui::power_notice(*s, gui::power_event::suspend)); // level 2: above the debug level
    s->log.close();
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "============== QvmUtil2 Debug log file =================");
    EXPECT_EQ(lines[1].rfind("=====  OS date: ", 0), 0u);
    EXPECT_EQ(lines[1].size(), std::string("=====  OS date: 12/08/26 == time: 08:00:00 ==").size());
    EXPECT_EQ(lines[2].rfind("=====  error date: ", 0), 0u);
    EXPECT_EQ(lines[3], "Page0Proc-getRaidStatus");

    s->settings.debug_level = 1;
    gui::open_debug_log(*s, (root.path() + "/no/such/folder/zanutil.log").c_str());
    EXPECT_EQ(ui.shown.back().text, "Failed to create log file.");
    EXPECT_EQ(s->settings.debug_level, 0);
}

} // namespace
