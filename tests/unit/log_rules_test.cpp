// zanlog without adapters: the command line and its keywords, the output
// folder's separator, the size limit's choice of the file to delete, the
// adapter regions, the driver kind of Qvmraid ports, the file names and the
// console lines of the reporting routine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapter_logs.h"
#include "adapter_scan.h"
#include "command_line.h"
#include "log_run.h"
#include "output_folder.h"
#include "plat/error.h"
#include "report.h"

namespace {

using zanlog::log_kind;
using zanlog::parse_end;

TEST(LogCommandLine, TypesModesAndNumbers)
{
    const struct {
        std::vector<const char*> arguments;
        parse_end end;
        bool automatic;
        log_kind kind; // when parsed
        int controller;
        int drive;
    } cases[] = {
        {{"ZAN_0_RaidLog", "logs"}, parse_end::parsed, false, log_kind::raid, 0, 0},
        {{"zan_1_nvramlog", "logs"}, parse_end::parsed, false, log_kind::nvram, 1, 0},
        {{"ZAN_0_FWTRCLOG", "logs"}, parse_end::parsed, false, log_kind::firmware_trace, 0, 0},
        {{"zan_3_fwtrclog", "logs", "-AutomaticLog"}, parse_end::parsed, true, log_kind::firmware_trace, 3, 0},
        // Only the exact switch selects automatic mode.
        {{"ZAN_0_RaidLog", "logs", "-automaticlog"}, parse_end::parsed, false, log_kind::raid, 0, 0},
        {{"ZAN_0_RaidLog", "logs", "-AutomaticLog"}, parse_end::bad_parameter, true, log_kind::raid, 0, 0},
        // "_fwdumpdirect" is tried before "_fwdump"; text after a keyword is ignored.
        {{"ZAN_0_FWDumpDirect", "logs"}, parse_end::not_supported, false, log_kind::raid, 0, 0},
        {{"ZAN_0_FWDumpX", "logs"}, parse_end::parsed, false, log_kind::firmware_dump, 0, 0},
        {{"ZAN_0_RaidLogs and more", "logs"}, parse_end::parsed, false, log_kind::raid, 0, 0},
        // Drive characters: digits, and whatever else follows the keyword.
        {{"zan_1_hddlogsense_3", "logs"}, parse_end::parsed, false, log_kind::drive_log_sense, 1, 3},
        {{"ZAN_0_HDDInquiry_;", "logs"}, parse_end::parsed, false, log_kind::drive_inquiry, 0, 11},
        {{"ZAN_0_HDDLog_DSLog_7x", "logs"}, parse_end::parsed, false, log_kind::drive_status_log, 0, 7},
        {{"ZAN_0_HDDLog_DILog_2", "logs"}, parse_end::parsed, false, log_kind::drive_internal_log, 0, 2},
        {{"ZAN_0_HDDLog_CLog_0", "logs"}, parse_end::parsed, false, log_kind::drive_command_log, 0, 0},
        {{"ZAN_0_HDDLog_CII_1", "logs"}, parse_end::parsed, false, log_kind::drive_controller_information, 0, 1},
        {{"ZAN_0_HDDInquiry_", "logs"}, parse_end::parsed, false, log_kind::drive_inquiry, 0, -'0'},
        {{"ZAN_a_RaidLog", "logs"}, parse_end::parsed, false, log_kind::raid, 'a' - '0', 0},
        // Refused.
        {{"ZAN_0_RaidLog"}, parse_end::bad_parameter, false, log_kind::raid, 0, 0},
        {{"ZAN_0_RaidLog", "a", "b", "c"}, parse_end::bad_parameter, false, log_kind::raid, 0, 0},
        {{"ZAX_0_RaidLog", "logs"}, parse_end::bad_parameter, false, log_kind::raid, 0, 0},
        {{"ZAN_", "logs"}, parse_end::bad_parameter, false, log_kind::raid, 0, 0},
        {{"ZAN_0RaidLog", "logs"}, parse_end::bad_parameter, false, log_kind::raid, 0, 0},
        {{"ZAN_0_Raid", "logs"}, parse_end::bad_parameter, false, log_kind::raid, 0, 0},
    };
    for (const auto& c : cases) {
        const std::string label = c.arguments[0];
        const zanlog::command_line line =
            zanlog::parse_command_line(static_cast<int>(c.arguments.size()), c.arguments.data());
        EXPECT_EQ(line.end, c.end) << label;
        EXPECT_EQ(line.automatic, c.automatic) << label;
        if (c.end != parse_end::parsed) continue;
        ASSERT_NE(line.type, nullptr) << label;
        EXPECT_EQ(line.type->kind, c.kind) << label;
        EXPECT_EQ(line.controller, c.controller) << label;
        EXPECT_EQ(line.drive, c.drive) << label;
        EXPECT_STREQ(line.folder, c.arguments[1]) << label;
    }
    // A type refused in automatic mode is still known, so it is not reported.
    const char* automatic[] = {"ZAN_0_NvramLog", "logs", "-AutomaticLog"};
    const zanlog::command_line refused = zanlog::parse_command_line(3, automatic);
    ASSERT_NE(refused.type, nullptr);
    EXPECT_EQ(refused.type->kind, log_kind::nvram);
}

TEST(LogOutputFolder, SeparatorOfTheRun)
{
    const struct {
        const char* full_path;
        char separator;
    } cases[] = {
        {"C:\\logs\\zan", '\\'}, {"/tmp/logs", '/'},        {"C:\\ x/y", '/'}, {"/ a\\b", '\\'},
        {"C:\\ x\\ y", '/'},     {"/tmp/bin\\Log", '/'},    {"logs", '/'},     {"C:\\", '\\'},
    };
    for (const auto& c : cases) EXPECT_EQ(zanlog::path_separator(c.full_path), c.separator) << c.full_path;
}

TEST(LogOutputFolder, SizeLimitChoosesTheOldestTraceLog)
{
    const auto entry = [](const char* name, bool folder = false) { return plat::folder_entry{name, folder, 10}; };
    const struct {
        std::vector<plat::folder_entry> entries;
        int chosen; // index, -1 none
    } cases[] = {
        {{entry("20090102000000_ZAN_0_FWTrcLog"), entry("20090101000000_ZAN_0_FWTrcLog")}, 1},
        {{entry("20090101000000_ZAN_1_FWTrcLog"), entry("20090101000000_ZAN_0_FWTrcLog")}, 0},
        // Not trace logs: other types, other lengths, a folder, the upper bound itself.
        {{entry("20090101000000_ZAN_0_RaidLog"), entry("20090101000000_ZAN_0_FWTrcLogX"),
          entry("20090101000000_ZAN_0_FWTrcLog", true), entry("99991231235959_ZAN_0_FWTrcLog"),
          entry("2009010100000_ZAN_0_FWTrcLog")},
         -1},
        {{entry("x"), entry("20100101000000_ZAN_X_FWTrcLog"), entry("99991231235958_ZAN_0_FWTrcLog")}, 1},
        {{}, -1},
    };
    for (const auto& c : cases) {
        const auto chosen = zanlog::oldest_trace_file(c.entries);
        EXPECT_EQ(chosen ? static_cast<int>(*chosen) : -1, c.chosen);
    }

    EXPECT_EQ(zanlog::size_limit_mib(std::nullopt), 4u);
    EXPECT_EQ(zanlog::size_limit_mib(0), 0u);
    EXPECT_EQ(zanlog::size_limit_mib(1), 1u);
    EXPECT_EQ(zanlog::size_limit_mib(1024), 1024u);
    EXPECT_EQ(zanlog::size_limit_mib(1025), 4u);
}

TEST(LogAdapter, RegionsDriverKindsAndNames)
{
    const struct {
        log_kind kind;
        std::uint8_t driver_kind;
        std::uint8_t mode, id;
        std::uint32_t first, bytes;
    } regions[] = {
        {log_kind::raid, 7, 1, 0xA6, 0, 2097152},
        {log_kind::firmware_trace, 2, 2, 0x07, 0xC00000, 131072},
        {log_kind::nvram, 1, 2, 0x08, 0, 32768}, {log_kind::nvram, 5, 2, 0x08, 0, 32768},
        {log_kind::nvram, 6, 2, 0x08, 0, 32768}, {log_kind::nvram, 7, 2, 0x08, 0, 32768},
        {log_kind::nvram, 2, 2, 0x08, 0, 8192},  {log_kind::nvram, 3, 2, 0x08, 0, 8192},
        {log_kind::nvram, 4, 2, 0x08, 0, 8192},
    };
    for (const auto& r : regions) {
        const zanlog::adapter_region region = zanlog::adapter_log_region(r.kind, r.driver_kind);
        EXPECT_EQ(region.mode, r.mode);
        EXPECT_EQ(region.buffer_id, r.id);
        EXPECT_EQ(region.first_offset, r.first);
        EXPECT_EQ(region.pieces * zanlog::ADAPTER_PIECE_BYTES, r.bytes) << int(r.driver_kind);
    }

    EXPECT_EQ(zanlog::qvmraid_kind({true, true}), 4);
    EXPECT_EQ(zanlog::qvmraid_kind({true, false}), 4);
    EXPECT_EQ(zanlog::qvmraid_kind({false, true}), 1);
    EXPECT_EQ(zanlog::qvmraid_kind({false, false}), zanlog::QVMRAID_WITHOUT_KEYS);

    const plat::local_time when{2009, 4, 24, 9, 2, 18, 0};
    const int drive = 3;
    EXPECT_EQ(zanlog::log_file_name(when, 0, "_FWTrcLog", nullptr), "20090424090218_ZAN_0_FWTrcLog");
    EXPECT_EQ(zanlog::log_file_name(when, 1, "_HDDLogSense_", &drive), "20090424090218_ZAN_1_HDDLogSense_3");

    char detail[9];
    EXPECT_STREQ(zanlog::detail_code(0, detail), "50ffffff");
    EXPECT_STREQ(zanlog::detail_code(3, detail), "53ffffff");
}

TEST(LogReport, ConsoleLinesByCodeAndHowShown)
{
    const zanlog::log_type* drive_log = &zanlog::LOG_TYPES[5];
    ASSERT_EQ(drive_log->kind, log_kind::drive_inquiry);
    const std::string general_drive = "ZAN1005-E The error occurred while gathering the log.\n"
                                      "ZAN1006-E Log type : HDD internal Log\n";
    const struct {
        std::uint32_t code;
        zanlog::shown how;
        const zanlog::log_type* type;
        bool automatic;
        std::string lines;
    } cases[] = {
        {1001, zanlog::shown::as_such, nullptr, false, "ZAN1001-E The parameter is incorrect.\n"},
        {1002, zanlog::shown::as_such, drive_log, false, "ZAN1002-E It has already started.\n"},
        {1004, zanlog::shown::as_such, nullptr, false, "ZAN1004-E Meridan Raid Controller is not found.\n"},
        {1008, zanlog::shown::as_such, drive_log, false,
         general_drive + "ZAN1007-E Error code : 1008\nZAN1008-E HDD Not Found.\n"},
        {1009, zanlog::shown::as_such, nullptr, false, "ZAN1009-E Command is not support\n"},
        {1011, zanlog::shown::as_such, drive_log, false,
         "ZAN1010-E time-out when gathering the log.\nZAN1006-E Log type : HDD internal Log\n"},
        // The same codes shown as general errors, and system codes.
        {1004, zanlog::shown::general, drive_log, false, general_drive + "ZAN1007-E Error code : 1004\n"},
        {1117, zanlog::shown::general, drive_log, false, general_drive + "ZAN1007-E Error code : 1117\n"},
        {2, zanlog::shown::general, nullptr, false,
         "ZAN1005-E The error occurred while gathering the log.\nZAN1006-E Log type : Log Type Unknown\n"
         "ZAN1007-E Error code : 2\n"},
        // Automatic mode prints nothing; only the trace log reports, to the Event Log.
        {1001, zanlog::shown::as_such, drive_log, true, ""},
    };
    for (const auto& c : cases) {
        zanlog::current_run() = {c.automatic, c.type, 0};
        testing::internal::CaptureStdout();
        EXPECT_FALSE(zanlog::report_error(c.code, c.how));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.lines) << c.code;
        EXPECT_EQ(plat::last_error(), c.code);
    }
    zanlog::current_run() = {};
}

} // namespace
