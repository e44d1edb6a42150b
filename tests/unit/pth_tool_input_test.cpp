// zanpth's input rules: numbers, parameter-file fields, the command table,
// the transfer table of raw commands, the "ANY" data rules and mode page 0x22.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tool_frame.h"
#include "mode_page.h"
#include "numbers.h"
#include "param_file.h"
#include "raw_input.h"
#include "transfer_plan.h"

namespace {

using bytes = std::vector<std::uint8_t>;

TEST(PthToolInput, HexFieldsConvertToZeroOnlyWithDigits)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {{"1F", 0x1F},       {"0", 0},          {"12zz", 0x12},         {"zz", std::nullopt},
                 {"", std::nullopt}, {" 0x10", 0x10},   {"123456789", 0xFFFFFFFF}, {"-1", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(pth::parse_hex(c.text), c.value) << c.text;
    EXPECT_EQ(pth::parse_count("12x"), 12u);
    EXPECT_EQ(pth::parse_count("-3"), std::nullopt);
    EXPECT_EQ(pth::parse_count("2147483647"), 2147483647u);
    EXPECT_EQ(pth::parse_count("2147483648"), std::nullopt);
    EXPECT_EQ(pth::parse_count("99999999999"), std::nullopt);
    EXPECT_EQ(pth::parse_hex_bytes("2800", 14), (bytes{0x28, 0x00}));
    EXPECT_EQ(pth::parse_hex_bytes("280", 14), std::nullopt);
    EXPECT_EQ(pth::parse_hex_bytes("28G0", 14), std::nullopt);
    EXPECT_EQ(pth::parse_hex_bytes("000102030405060708090A0B0C0D0E0F", 14)->size(), 14u);
}

TEST(PthToolInput, CommentLinesAreSkippedAndLongLinesFound)
{
    const auto split = pth::split_fields("/ comment\n 1 indented\n1\r\n\t\n\n2\n/3\n3", 1024);
    EXPECT_EQ(split.fields, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(split.long_line, 0u);
    EXPECT_TRUE(pth::split_fields("", 1024).fields.empty());
    EXPECT_EQ(pth::split_fields("1\n" + std::string(1024, 'A') + "\n", 1024).long_line, 0u);
    EXPECT_EQ(pth::split_fields("1\n/x\n" + std::string(1025, 'A') + "\n", 1024).long_line, 3u);
}

TEST(PthToolInput, CommandNamesAndCountsAreExact)
{
    EXPECT_EQ(pth::command_table().size(), 17u);
    const struct {
        const char* word;
        int argc;
        bool found;
    } cases[] = {{"L", 2, true},   {"l", 2, false}, {"L", 3, false}, {"PDOneSectorRead", 5, true},
                 {"PDOneSectorRead", 4, false}, {"pdonesectorread", 5, false}, {"w", 6, true},
                 {"PDPrintModePage", 7, true}, {"ANY", 3, true}, {"AN", 3, false}};
    for (const auto& c : cases)
        EXPECT_EQ(pth::find_command(c.word, c.argc) != nullptr, c.found) << c.word << " " << c.argc;
}

// The pieces of a raw command: total bytes and each piece's command.
TEST(PthToolInput, RawCommandsSplitIntoPiecesByTheirFields)
{
    const struct {
        bytes cdb;
        std::uint32_t total;
        std::vector<bytes> pieces;
    } cases[] = {
        // READ(6) with length 0 reads 256 blocks: two pieces of 128.
        {{0x08, 0x01, 0x00, 0x10, 0x00, 0x00}, 256 * 512,
         {{0x08, 0x01, 0x00, 0x10, 0x80, 0x00}, {0x08, 0x01, 0x00, 0x90, 0x80, 0x00}}},
        // READ(10) of 0x200 blocks: four pieces of 128 blocks.
        {{0x28, 0, 0, 0, 0x10, 0, 0, 0x02, 0x00, 0}, 0x200 * 512,
         {{0x28, 0, 0, 0, 0x10, 0x00, 0, 0, 0x80, 0}, {0x28, 0, 0, 0, 0x10, 0x80, 0, 0, 0x80, 0},
          {0x28, 0, 0, 0, 0x11, 0x00, 0, 0, 0x80, 0}, {0x28, 0, 0, 0, 0x11, 0x80, 0, 0, 0x80, 0}}},
        // WRITE BUFFER of 0x18000 bytes: offsets move in bytes.
        {{0x3B, 0x05, 0, 0, 0, 0, 0x01, 0x80, 0x00, 0}, 0x18000,
         {{0x3B, 0x05, 0, 0, 0, 0, 0x01, 0x00, 0x00, 0}, {0x3B, 0x05, 0, 0x01, 0x00, 0x00, 0x00, 0x80, 0x00, 0}}},
        // READ BUFFER in a mode other than 2 keeps its offset.
        {{0x3C, 0x03, 0, 0, 0, 0x10, 0x01, 0x00, 0x00, 0}, 0x10000, {{0x3C, 0x03, 0, 0, 0, 0x10, 0x01, 0x00, 0x00, 0}}},
        {{0x12, 0, 0, 0, 0x52, 0}, 0x52, {{0x12, 0, 0, 0, 0x52, 0}}},
        {{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8, {{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
        {{0x00, 0, 0, 0, 0, 0}, 1, {{0x00, 0, 0, 0, 0, 0}}},
        {{0xA0, 0, 0, 0, 0, 0}, 0, {}},
    };
    for (const auto& c : cases) {
        const pth::transfer_plan plan = pth::plan_transfer(c.cdb);
        EXPECT_EQ(plan.total_bytes, c.total) << int{c.cdb[0]};
        std::vector<bytes> pieces;
        for (std::uint32_t offset = 0; offset < plan.total_bytes; offset += 0x10000)
            pieces.push_back(pth::piece_command(c.cdb, plan, offset, std::min(0x10000u, plan.total_bytes - offset)));
        EXPECT_EQ(pieces, c.pieces) << int{c.cdb[0]};
    }
}

// A transfer whose later pieces would start past the address field is
// refused before anything is sent, instead of wrapping to block 0.
TEST(PthToolInput, PiecesMustNotWrapPastTheAddressField)
{
    const struct {
        bytes cdb;
        bool fits;
    } cases[] = {
        {{0x08, 0x1F, 0xFF, 0x7F, 0x00, 0x00}, true},                  // READ(6): second piece at 0x1FFFFF
        {{0x0A, 0x1F, 0xFF, 0x81, 0x00, 0x00}, false},                 // WRITE(6): it would be at 0x200000
        {{0x08, 0x1F, 0xFF, 0xFF, 0x01, 0x00}, true},                  // one piece: the drive judges
        {{0x2A, 0, 0xFF, 0xFF, 0xFF, 0x80, 0, 0x01, 0x00, 0}, false},  // WRITE(10): 0xFFFFFF80 + 128
        {{0x28, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0x01, 0x00, 0}, true},
        {{0x3C, 0x02, 0, 0xFF, 0x00, 0x01, 0x02, 0x00, 0x00, 0}, false}, // READ BUFFER: 0xFF0001 + 64 KiB
        {{0x3C, 0x02, 0, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0}, true},
        {{0x4D, 0, 0x31, 0, 0, 0, 0, 0xFF, 0xFF, 0}, true},             // no address field
    };
    for (const auto& c : cases)
        EXPECT_EQ(pth::pieces_fit(pth::plan_transfer(c.cdb)), c.fits) << int{c.cdb[0]} << " " << int{c.cdb[2]};
}

TEST(PthToolInput, AnyLengthAndWriteData)
{
    EXPECT_EQ(pth::any_length(0x10000, 0x28), 0x10000u);
    EXPECT_EQ(pth::any_length(0x10001, 0x28), std::nullopt);
    EXPECT_EQ(pth::any_length(0x10001, 0x25), 8u);

    const std::vector<std::string> fields{"0", "0", "2A", "1", "5", "1", "A1B2"};
    EXPECT_EQ(pth::any_write_data(fields, 5, true)->bytes, (bytes{0xA1, 0xB2, 0xA1, 0xB2, 0xA1}));
    EXPECT_EQ(pth::any_write_data(fields, 5, false)->bytes, (bytes{0xA1, 0xB2, 0, 0, 0}));
    const std::vector<std::string> two_fields{"0", "0", "2A", "1", "3", "0", "01", "0203"};
    EXPECT_EQ(pth::any_write_data(two_fields, 3, false)->bytes, (bytes{1, 2, 3}));
    EXPECT_FALSE(pth::any_write_data({"0", "0", "2A", "1", "5", "1"}, 5, true)->given);
    EXPECT_EQ(pth::any_write_data({"0", "0", "2A", "1", "5", "1", "ABC"}, 5, true), std::nullopt);
}

TEST(PthToolInput, ModePage22FromFields)
{
    // Fields 1 to 3 (controller, drive, save) are not part of the page.
    const std::vector<std::string> fields{"0", "1", "1",   "1",  "1",  "AB", "1234", "7",  "CD", "01020304",
                                          "A0B0C0D0",     "E1",  "E2", "E3", "1",  "1",  "1",  "BEEF",
                                          "4",   "2",     "1",   "F0", "0102", "0304"};
    const auto page = pth::page22_list(fields);
    ASSERT_TRUE(page);
    const bytes expected{0, 0, 0, 0, 0x22, 0x1C, 0x03, 0xAB, 0x12, 0x34, 7, 0xCD, 1, 2, 3, 4, 0xA0,
                         0xB0, 0xC0, 0xD0, 0xE1, 0xE2, 0xE3, 0, 0x29, 0, 0xBE, 0xEF, 0x07, 0xF0, 1, 2, 3, 4};
    EXPECT_EQ(bytes(page->begin(), page->end()), expected);

    auto bad = fields;
    bad[8] = "zz"; // field 9, hexadecimal
    EXPECT_EQ(pth::page22_list(bad), std::nullopt);
    EXPECT_EQ(pth::page22_list(std::vector<std::string>(fields.begin(), fields.begin() + 23)), std::nullopt);
}

} // namespace
