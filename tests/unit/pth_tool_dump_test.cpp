// zanpth's hexadecimal dump: the heading, the columns of a short last line,
// numbering that runs on across dumps, and the CR LF form of the page file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex_dump.h"

namespace {

const std::string rule(77, '-');

TEST(PthToolDump, TwentyBytesMakeTwoLinesTheSecondPadded)
{
    const std::string bytes = "ABCDEFGHIJKLMNOPQR\x01 ";
    std::string out;
    const auto next = pth::hex_dump(out, "Read", {reinterpret_cast<const std::uint8_t*>(bytes.data()), 20}, 0, 20);
    EXPECT_EQ(next, 2u);
    EXPECT_EQ(out, "[Read] Size=20\n" + rule + "\n" +
                       "00000000: 41 42 43 44 45 46 47 48  49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP\n"
                       "00000010: 51 52 01 20 " + std::string(12, ' ') + " " + std::string(24, ' ') + " QR..\n");
}

TEST(PthToolDump, ContinuedDumpKeepsNumberingWithoutHeading)
{
    const std::vector<std::uint8_t> block(32, 0x5A);
    std::string out;
    EXPECT_EQ(pth::hex_dump(out, "Stripe", block, 0x1FFE, 64), 0x2000u);
    EXPECT_EQ(out, "0001FFE0: 5A 5A 5A 5A 5A 5A 5A 5A  5A 5A 5A 5A 5A 5A 5A 5A  ZZZZZZZZZZZZZZZZ\n"
                   "0001FFF0: 5A 5A 5A 5A 5A 5A 5A 5A  5A 5A 5A 5A 5A 5A 5A 5A  ZZZZZZZZZZZZZZZZ\n");
}

TEST(PthToolDump, EmptyDataAndCrLfLines)
{
    std::string out;
    EXPECT_EQ(pth::hex_dump(out, "Get HDD Mode Page", {}, 0, 0, "\r\n"), 0u);
    EXPECT_EQ(out, "[Get HDD Mode Page] Size=0\r\n\r\n");
    out.clear();
    const std::vector<std::uint8_t> one{0xFF};
    pth::hex_dump(out, "Page", one, 0, 1, "\r\n");
    EXPECT_EQ(out, "[Page] Size=1\r\n" + rule + "\r\n00000000: FF " + std::string(45, ' ') + "  .\r\n");
}

} // namespace
