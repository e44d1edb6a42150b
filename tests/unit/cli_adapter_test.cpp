// zancli's adapter commands: the adapter report, its code translations and
// the prevent-limit options.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "adapter_report.h"
#include "cli_test_support.h"
#include "commands.h"
#include "prevent_limits.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CliAdapterReport, FlashBankStatesAndPatrolDelays)
{
    const cli::flash_bank_text* bank = cli::find_flash_bank(0x13);
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bank->start_bank, "1");
    EXPECT_EQ(bank->checksums, "#1:Check Sum OK #2:Check Sum OK");
    bank = cli::find_flash_bank(0x00);
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bank->start_bank, "-");
    EXPECT_EQ(bank->checksums, "#1:Check Sum NG #2:Check Sum NG");
    EXPECT_EQ(cli::find_flash_bank(0x22)->checksums, "#1:Check Sum NG #2:Check Sum OK");
    EXPECT_EQ(cli::find_flash_bank(0x11)->checksums, "#1:Check Sum OK #2:Check Sum NG");
    // Only the five flash bank states: a start bank with no good image, a
    // good image without a start bank or a third bank are abnormal.
    for (const int state : {0x01, 0x03, 0x10, 0x12, 0x21, 0x33, 0xFF}) EXPECT_EQ(cli::find_flash_bank(state), nullptr);

    EXPECT_EQ(cli::patrol_delay_weeks(1), 2);
    EXPECT_EQ(cli::patrol_delay_weeks(2), 4);
    EXPECT_EQ(cli::patrol_delay_weeks(3), 8);
    EXPECT_FALSE(cli::patrol_delay_weeks(0));
    EXPECT_FALSE(cli::patrol_delay_weeks(4));
}

TEST(CliAdapterReport, FillsEveryLineFromTheRecords)
{
    zan::ContInfo info{};
    info.pci_bus = 3;
    info.pci_device = 12;
    std::memcpy(info.driver_version, "1.20.001", 8); // all eight characters, no terminator
    std::memcpy(info.general_revision, "1.10", 4);
    info.total_memory_mb.set(256);
    info.cache_size_mb.set(192);
    info.write_cache_size_mb.set(128);

    zan::ContPara para{};
    std::strcpy(para.boot_firmware_revision, "BT1.02");
    const std::uint8_t cpu[4] = {0x9A, 0x00, 0x02, 0x0F};
    std::memcpy(para.processor_revision, cpu, 4);
    para.adapter_version = 0x1B;
    const std::uint8_t sas[8] = {0x50, 0x00, 0xA1, 0xD0, 0x00, 0x00, 0x02, 0x0A};
    std::memcpy(para.sas_address, sas, 8);
    std::memcpy(para.flash_rom1_revision, "1.10", 4);
    std::memcpy(para.flash_rom2_revision, "1.0", 3);

    const cli::adapter_report_names names{cli::find_flash_bank(0x23), "High", "Middle", 4};
    const std::string report = cli::format_adapter_report(1, info, para, names);
    ASSERT_TRUE(report.ends_with("week.\n"));
    const std::vector<std::string> lines = lines_of(report);
    ASSERT_EQ(lines.size(), 45u);

    EXPECT_EQ(lines[0], "Adapter #1");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], std::string(80, '='));
    EXPECT_EQ(lines[7], "Adapter Version       : 1b");
    EXPECT_EQ(lines[8], "Processor Revision    : 9a00020f");
    EXPECT_EQ(lines[9], "SAS Address           : 5000a1d00000020a");
    EXPECT_EQ(lines[10], "General Revision      : 1.10");
    EXPECT_EQ(lines[11], "BOOT FW Revision      : BT1.02");
    EXPECT_EQ(lines[12], "Driver Version        : 1.20.001");
    EXPECT_EQ(lines[13], "Flash ROM Revision #1 : 1.10");
    EXPECT_EQ(lines[14], "                   #2 : 1.0");
    EXPECT_EQ(lines[18], "Bus Number       : 3");
    EXPECT_EQ(lines[19], "Slot Number      : 12");
    EXPECT_EQ(lines[35], "Total Memory     : 256MB");
    EXPECT_EQ(lines[36], "Cache Size       : 192MB");
    EXPECT_EQ(lines[37], "Write Cache Size : 128MB");
    EXPECT_EQ(lines[41], "Flash ROM Start BANK        : #2 (#1:Check Sum OK #2:Check Sum OK)");
    EXPECT_EQ(lines[42], "Rebuild Priority (IDLE)     : High");
    EXPECT_EQ(lines[43], "Rebuild Priority (BUSY)     : Middle");
    EXPECT_EQ(lines[44], "Patrol Read Execution Delay : 4 week.");
}

TEST(CliAdapterReport, BootRevisionStopsAtTheRecordsEnd)
{
    zan::ContInfo info{};
    zan::ContPara para{};
    std::memset(para.boot_firmware_revision, 'B', sizeof para.boot_firmware_revision); // no terminator
    para.processor_revision[0] = 0xEE; // the field that follows
    const cli::adapter_report_names names{cli::find_flash_bank(0x00), "Low", "Low", 8};
    const std::vector<std::string> lines = lines_of(cli::format_adapter_report(0, info, para, names));
    EXPECT_EQ(lines[11], "BOOT FW Revision      : " + std::string(22, 'B'));
    EXPECT_EQ(lines[41], "Flash ROM Start BANK        : #- (#1:Check Sum NG #2:Check Sum NG)");
}

TEST(CliPreventLimits, ValueOptions)
{
    struct expected {
        const char* token;
        bool matched;
        bool all;
        int limit;
        std::optional<std::uint16_t> value;
    };
    const expected cases[] = {
        {"pl10", true, false, cli::limit_prevent, 10},
        {"om", true, false, cli::limit_one_month, 0},
        {"hy7", true, false, cli::limit_half_year, 7},
        {"oy65535", true, false, cli::limit_one_year, 65535},
        {"oy0000012", true, false, cli::limit_one_year, 12},
        {"all5", true, true, cli::limit_prevent, 5},
        // Keywords with anything but a 16-bit decimal number after them.
        {"pl1x", true, false, cli::limit_prevent, std::nullopt},
        {"pl65536", true, false, cli::limit_prevent, std::nullopt},
        {"om99999999999", true, false, cli::limit_one_month, std::nullopt},
        {"hy-1", true, false, cli::limit_half_year, std::nullopt},
        {"allx", true, true, cli::limit_prevent, std::nullopt},
    };
    for (const expected& c : cases) {
        const cli::limit_option option = cli::parse_limit_option(c.token);
        EXPECT_EQ(option.matched, c.matched) << c.token;
        EXPECT_EQ(option.all, c.all) << c.token;
        EXPECT_EQ(option.value, c.value) << c.token;
        if (!c.all) {
            EXPECT_EQ(option.limit, c.limit) << c.token;
        }
    }
    for (const char* other : {"a0", "aall", "nochk", "p1", "o5", ""})
        EXPECT_FALSE(cli::parse_limit_option(other).matched) << other;
}

TEST(CliPreventLimits, OnlyTheGivenCountsChange)
{
    zan::GListInfo current{};
    current.prevent_limit.set(1);
    current.prevent_limit_one_month.set(2);
    current.prevent_limit_half_year.set(3);
    current.prevent_limit_one_year.set(4);

    cli::prevent_limit_values values;
    values[cli::limit_half_year] = 700;
    values[cli::limit_prevent] = 0;
    const zan::GListInfo next = cli::apply_limits(current, values);
    EXPECT_EQ(next.prevent_limit.get(), 0u);
    EXPECT_EQ(next.prevent_limit_one_month.get(), 2u);
    EXPECT_EQ(next.prevent_limit_half_year.get(), 700u);
    EXPECT_EQ(next.prevent_limit_one_year.get(), 4u);
}

TEST(CliAdapterReport, AFailedReadEndsTheReportAfterTheAdaptersShown)
{
    zan_test::sim_root root;
    root.create("demo");
    ASSERT_TRUE(initContData(0));
    // The probe of adapter 1 (port 3) meets the first refusal and passes over
    // it; the report's read meets the second.
    ASSERT_EQ(sim::inject_status(3, 0x8005, 2), "");
    zan_test::output_capture out;
    cli::frame context;
    const char* const argv[] = {"zancli", "-AdpAllInfo", "-aALL"};
    EXPECT_EQ(cli::command_adapter_all_info(context, 3, argv), 0);
    static_cast<void>(finContData());

    const std::vector<std::string> lines = lines_of(out.text());
    ASSERT_EQ(lines.size(), 48u);
    EXPECT_EQ(lines[0], "Adapter #0");
    EXPECT_EQ(lines[44], "Patrol Read Execution Delay : 4 week.");
    EXPECT_EQ(lines[46], "The error was detected as an Adapter 1.");
    EXPECT_EQ(lines[47], "Please ascertain the situation.");
}

} // namespace
