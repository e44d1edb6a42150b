// zanpth's requests and reports: the wrapped and plain requests, the report
// of each error class of a pass-through call, and the drive log reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "log_report.h"
#include "pass_call.h"
#include "plat/error.h"

namespace {

using bytes = std::vector<std::uint8_t>;

bytes cdb_of(const zan::ZanPasRequest& request)
{
    const auto sent = pth::sent_cdb(request);
    return bytes(sent.begin(), sent.end());
}

TEST(PthToolReport, PhysicalCommandsAreWrappedLogicalOnesPlain)
{
    const bytes read10{0x28, 0, 0, 0, 0x10, 0, 0, 0, 1, 0};
    const auto wrapped_in = pth::build_request({true, 3, 5}, zan::ZANPAS_DATA_IN, read10);
    EXPECT_EQ(cdb_of(wrapped_in), (bytes{0xBB, 5, 0x28, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}));
    EXPECT_EQ(wrapped_in.target[0], 0);
    EXPECT_EQ(wrapped_in.caller_byte, 3);
    EXPECT_EQ(wrapped_in.direction, zan::ZANPAS_DATA_IN);

    const auto wrapped_out = pth::build_request({true, 0, 2}, zan::ZANPAS_DATA_OUT, bytes{0x15, 1, 0, 0, 12, 0});
    EXPECT_EQ(cdb_of(wrapped_out), (bytes{0xBA, 2, 0x15, 1, 0, 0, 12, 0}));

    const auto plain = pth::build_request({false, 1, 20}, zan::ZANPAS_DATA_OUT, read10);
    EXPECT_EQ(cdb_of(plain), read10);
    EXPECT_EQ(plain.target[0], 1);
    EXPECT_EQ(plain.disk_number, 20);

    // 14 command bytes fill the 16 of the request with the wrapper; no more fit.
    const auto longest = pth::build_request({true, 0, 1}, zan::ZANPAS_DATA_IN, bytes(15, 0xEE));
    EXPECT_EQ(longest.cdb_length[0], 16);
}

TEST(PthToolReport, FailuresAreReportedByErrorClass)
{
    const std::string end = "ZAN0002-I PassThrough Tool abnormal end.\n";
    bytes sense(260, 0);
    sense[2] = 0x05;
    sense[12] = 0x24;
    sense[13] = 0x01;
    const auto text = [](const char* t) {
        bytes detail(260, 0);
        std::copy(t, t + std::strlen(t), detail.begin());
        return detail;
    };
    const struct {
        int result;
        bytes detail;
        std::string expected;
    } cases[] = {
        {1, bytes(260, 3), "ZAN0021-E Please do not specify 0 or less for a size of data.\n" + end},
        {1, bytes(260, 2), "ZAN0014-E Parameter error. argno=2\n" + end},
        {2, bytes(260, 0), "ZAN0015-E Unsupported command error.\n" + end},
        {3, text("87"), "ZAN0016-E PassThrough execution error. detail=" + plat::system_message(87) + "\n" + end},
        {4, sense, "ZAN0005-E Request sense data  KEY:05  ASC:24  ASCQ:01\n" + end},
        {5, text("ZanPasDevOpen,2"),
         "ZAN0013-E ZanPasDevOpen() failed. errno=2, detail=" + plat::system_message(2) + "\n" + end},
        {6, bytes(260, 0), "ZAN0017-E Read and Write command cannot be executed at the same time.\n" + end},
        {7, text("8"), "ZAN0007-E Memory alloc fail. errno=8 detail=Failed in Library\n" + end},
        {9, bytes(260, 0), ""},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        pth::report_pass_failure(c.result, c.detail);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected) << c.result;
    }
}

TEST(PthToolReport, ErrorHistoryEntries)
{
    bytes page(pth::error_history_bytes, 0);
    std::uint8_t* entry = page.data() + 4 + 76; // the second entry
    entry[1] = 2;
    entry[4] = 0x00, entry[5] = 0x00, entry[6] = 0x1C, entry[7] = 0x20; // 7200 s
    entry[11] = 90;                                                     // 90 min
    entry[14] = 0x03, entry[24] = 0x11, entry[25] = 0x00;
    entry[15] = 0x12, entry[16] = 0x34, entry[17] = 0x56, entry[18] = 0x78;
    entry[60] = 0x28;
    const std::string report = pth::error_history_report(page);
    EXPECT_EQ(report.substr(0, report.find('\n', report.find('\n') + 1) + 1),
              "No.\tPower-on(h)\tP-On(m)\tSense\tLBA\tCDB\n000\t    0.00\t    0.00\t000000\t00000000\t00\n");
    EXPECT_NE(report.find("\n002\t    2.00\t    1.50\t031100\t12345678\t28\n"), std::string::npos);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 181);
}

TEST(PthToolReport, SmartLayoutsAndReport)
{
    const struct {
        const char* product;
        std::uint16_t allocation;
        int heads;
    } models[] = {{"MAX3073RC", 214, 4}, {"MAX3036RC", 166, 2}, {"MAX3147RC", 310, 8}, {"MBA3300RC", 310, 8}};
    for (const auto& m : models) {
        const auto layout = pth::smart_layout_of(m.product);
        ASSERT_TRUE(layout) << m.product;
        EXPECT_EQ(layout->allocation, m.allocation);
        EXPECT_EQ(layout->heads, m.heads);
    }
    EXPECT_FALSE(pth::smart_layout_of("KS3146SAS"));
    EXPECT_FALSE(pth::smart_layout_of("MAX30"));

    // A "036" page: two heads printed; values at their offsets.
    const auto layout = *pth::smart_layout_of("MAX3036RC");
    bytes page(layout.allocation, 0);
    page[4 + 7] = 120;                      // operating time, 120 min
    const std::size_t reads = 4 + 8;
    page[reads + 10 + 8 + 3] = 77;          // head 1 sectors read
    page[reads + 28 - 1] = 9;               // worst read error count
    const std::size_t temperature = 4 + 8 + 3 * 28 + 6 + 14 + 8;
    page[temperature + 4] = 41;
    page[temperature + 6] = 55;
    // The SMART warning's time ends the page: asked for whole, read whole.
    page[page.size() - 2] = 0x01;
    page[page.size() - 1] = 0x68;
    const std::string report = pth::smart_report(page, layout);
    EXPECT_EQ(report.substr(0, report.find('\n') + 1), "Cumulative operating time (h) :    2.00\n");
    EXPECT_NE(report.find("Head 1 read sectors            :        77\n"), std::string::npos);
    EXPECT_EQ(report.find("Head 2 read"), std::string::npos);
    EXPECT_NE(report.find("Worst read error count          :    9\n"), std::string::npos);
    EXPECT_NE(report.find("Temperature, current (C)      : 41\nTemperature, highest (C)      : 55\n"),
              std::string::npos);
    EXPECT_NE(report.find("Time of the SMART warning (h) :    6.00\n"), std::string::npos);
}

} // namespace
