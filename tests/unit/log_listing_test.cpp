// zanlog's hexadecimal listing of the drive logs.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "hex_listing.h"

namespace {

std::vector<std::uint8_t> bytes_from(std::uint8_t first, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST(LogListing, LinesHeaderAndShortTail)
{
    // 0x31-0x50: the line at 0x10 ends in "0" and the line at 0x20 holds
    // 0x41-0x50; a 20-byte block ends in a four-byte line padded to the columns.
    zanlog::hex_listing listing("<Page0d>");
    const std::vector<std::uint8_t> block = bytes_from(0x21, 0x30);
    EXPECT_EQ(listing.list(block), "<Page0d>\n"
                                   "00000000: 2122232425262728292a2b2c2d2e2f30 !\"#$%&'()*+,-./0\n"
                                   "00000010: 3132333435363738393a3b3c3d3e3f40 123456789:;<=>?@\n"
                                   "00000020: 4142434445464748494a4b4c4d4e4f50 ABCDEFGHIJKLMNOP\n");

    zanlog::hex_listing tail("<Command Log>");
    const std::uint8_t twenty[] = {0x00, 0x20, 0x7E, 0x7F, 0xFF, 'a', 'b', 'c', 'd', 'e',
                                   'f',  'g',  'h',  'i',  'j',  'k', 'l', 'm', 'n', 'o'};
    EXPECT_EQ(tail.list(twenty), "<Command Log>\n"
                                 "00000000: 00207e7fff6162636465666768696a6b ..~..abcdefghijk\n"
                                 "00000010: 6c6d6e6f                         lmno            \n");
}

TEST(LogListing, AddressRunsOnAcrossPiecesWithOneHeader)
{
    // An internal log of 70004 bytes read as 65536 + 4468 bytes.
    zanlog::hex_listing listing("<Drive Internal Log>");
    const std::string first = listing.list(std::vector<std::uint8_t>(65536, 0x41));
    const std::string second = listing.list(std::vector<std::uint8_t>(4468, 0x42));

    EXPECT_EQ(first.rfind("<Drive Internal Log>\n", 0), 0u);
    EXPECT_EQ(second.find('<'), std::string::npos);
    const std::string a_line = ": 41414141414141414141414141414141 AAAAAAAAAAAAAAAA\n";
    EXPECT_NE(first.find("0000fff0" + a_line), std::string::npos);
    EXPECT_EQ(second.rfind("00010000: 42424242", 0), 0u);
    // 4468 = 279 lines of 16 and a last line of 4 bytes at 0x10000 + 279 * 16.
    EXPECT_NE(second.find("\n00011170: 42424242                         BBBB            \n"), std::string::npos);
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 280);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 4097);
}

} // namespace
