// The firmware update: the image checks and the opening of image files, the
// information block, the WRITE BUFFER record, the question and the
// download's retry rule.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "exchange.h"
#include "firmware_download.h"
#include "firmware_image.h"
#include "firmware_update.h"
#include "plat/error.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

zan::image_header header_for(std::uint32_t length, const char* revision = "A012")
{
    zan::image_header header{};
    std::memcpy(header.magic, "Brimstal", 8);
    std::memcpy(header.revision, revision, 4);
    header.image_length.set(length);
    return header;
}

TEST(CliFirmwareImage, LengthFieldMustMatchTheFileExactly)
{
    const zan::image_header header = header_for(0x000F8000);
    EXPECT_EQ(zan::check_image(header, 256 + 0x000F8000), zan::image_check::valid);
    EXPECT_EQ(zan::check_image(header, 256 + 0x000F8000 + 1), zan::image_check::broken);
    EXPECT_EQ(zan::check_image(header, 256 + 0x000F8000 - 1), zan::image_check::broken);

    // A header cut short by the file reads zero where the file ended.
    zan::image_header empty{};
    std::memcpy(empty.magic, "Brimstal", 8);
    EXPECT_EQ(zan::check_image(empty, 10), zan::image_check::broken);
    // A header alone is an empty image: nothing to write.
    EXPECT_EQ(zan::check_image(empty, 256), zan::image_check::broken);
}

TEST(CliFirmwareImage, WrongMagicAndOversizedFilesAreRefused)
{
    zan::image_header header = header_for(16);
    header.magic[7] = 'L';
    EXPECT_EQ(zan::check_image(header, 256 + 16), zan::image_check::not_image);
    zan::image_header zeros{};
    EXPECT_EQ(zan::check_image(zeros, 0), zan::image_check::not_image);

    // Offsets travel in 24 bits: 16 MiB and more cannot be sent.
    EXPECT_EQ(zan::check_image(header_for(0xFFFFFF), 256 + 0xFFFFFFull), zan::image_check::valid);
    EXPECT_EQ(zan::check_image(header_for(0x1000000), 256 + 0x1000000ull), zan::image_check::broken);
    // A file of 4 GiB or more, whatever its length field says.
    EXPECT_EQ(zan::check_image(header_for(0xFFFFFF00), 0x100000000ull), zan::image_check::broken);
}

TEST(CliFirmwareImage, OnlyANewerAdapterRevisionIsADowngrade)
{
    const char a011[4] = {'A', '0', '1', '1'};
    const char a012[4] = {'A', '0', '1', '2'};
    EXPECT_TRUE(zan::is_downgrade(a012, a011));
    EXPECT_FALSE(zan::is_downgrade(a011, a012));
    EXPECT_FALSE(zan::is_downgrade(a012, a012));
}

TEST(CliFirmwareImage, InformationBlock)
{
    zan::image_header header = header_for(0x000F8000, "A013");
    const std::uint8_t date[4] = {0x20, 0x09, 0x04, 0x24};
    std::memcpy(header.date, date, 4);
    std::memcpy(header.author, "Meridan Firmware", 16); // all 16 characters, no terminator
    const char current[4] = {'A', '0', '1', '2'};
    EXPECT_EQ(cli::image_information(current, "C:\\fw\\image.img", 1, header),
              "\nUpdate File Information\n"
              "\tROM General Revision : A012\n"
              "\tUpdate file          : C:\\fw\\image.img\n"
              "\tUpdate adapter       : 1\n"
              "\tGeneral Revision     : A013\n"
              "\tDate of making       : 2009/4/24\n"
              "\tAuthor               : Meridan Firmware\n"
              "\tImage size           : f8000H\n"
              "\n");
}

TEST(CliFirmwareImage, PiecesAndTheirPercentages)
{
    EXPECT_EQ(zan::piece_count(8192), 2u);
    EXPECT_EQ(zan::piece_count(4097), 2u);
    EXPECT_EQ(zan::piece_count(1), 1u);
    EXPECT_EQ(zan::piece_count(0), 0u);
    EXPECT_EQ(zan::percent_sent(1, 2), 50);
    EXPECT_EQ(zan::percent_sent(2, 2), 100);
    EXPECT_EQ(zan::percent_sent(1, 3), 33);
    EXPECT_EQ(zan::percent_sent(4095, 4096), 99); // no overflow on large images
}

TEST(CliFirmwareImage, WriteBufferRecordIsReusedFromPieceToPiece)
{
    // The record of a full piece, answered by the driver, then the remainder
    // piece in the same record: nothing of the earlier piece or answer stays.
    static zan::write_buffer_record record{};
    const std::vector<std::uint8_t> full(zan::piece_size, 0xEE);
    zan::fill_write_buffer(record, 0, full);
    record.status.set(0x8001);
    record.completion[1] = 0x77;
    const std::uint8_t piece[1] = {0x5A};
    zan::fill_write_buffer(record, 4096, piece);

    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    const std::vector<std::uint8_t> head(bytes, bytes + 24);
    EXPECT_EQ(head, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0,                             // status, completion
                                               0x3B, 0x05, 0x01, 0x00, 0x10, 0x00,           // offset 4096
                                               0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0,     // length 1
                                               0x5A, 0x00}));
    const std::vector<std::uint8_t> tail(record.data + 1, record.data + zan::piece_size);
    EXPECT_EQ(tail, std::vector<std::uint8_t>(zan::piece_size - 1, 0));
}

// What opening each kind of file gives: a pipe without a writer and a device
// are broken at once (neither blocks nor is read), a folder cannot be
// opened, a short file is broken and a true image is valid.
TEST(CliFirmwareImage, OnlyRegularFilesAreOpenedAsImages)
{
    zan_test::sim_root root; // a temporary folder for the files
    const std::string folder = root.path();
    const std::string fifo = folder + "/pipe.img";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string image_path = folder + "/image.img";
    {
        zan::image_header header = header_for(3);
        std::ofstream out(image_path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        out.write("abc", 3);
    }
    const std::string short_path = folder + "/short.img";
    std::filesystem::copy_file(image_path, short_path);
    std::filesystem::resize_file(short_path, 200);

    const struct {
        std::string path;
        zan::image_open_end end;
        zan::image_check check;
    } cases[] = {
        {fifo, zan::image_open_end::opened, zan::image_check::broken},
        {"/dev/zero", zan::image_open_end::opened, zan::image_check::broken},
        {folder, zan::image_open_end::open_failed, zan::image_check::broken},
        {short_path, zan::image_open_end::opened, zan::image_check::broken},
        {image_path, zan::image_open_end::opened, zan::image_check::valid},
    };
    for (const auto& c : cases) {
        plat::file file;
        zan::image_header header{};
        const zan::image_open_result result = zan::open_image(c.path.c_str(), file, header);
        EXPECT_EQ(result.end, c.end) << c.path;
        if (result.end == zan::image_open_end::opened) {
            EXPECT_EQ(result.check, c.check) << c.path;
        }
    }

    // A valid image is left at the first byte after its header.
    plat::file file;
    zan::image_header header{};
    ASSERT_EQ(zan::open_image(image_path.c_str(), file, header).check, zan::image_check::valid);
    char rest[4] = {};
    std::size_t count = 0;
    ASSERT_TRUE(file.read(rest, sizeof rest, count));
    EXPECT_EQ(std::string(rest, count), "abc");
}

// A scripted console for the question.
std::vector<std::string> script_lines;
std::size_t script_next = 0;

bool scripted_line(std::string& line, std::size_t)
{
    if (script_next >= script_lines.size()) return false;
    line = script_lines[script_next++];
    return true;
}

cli::answer_reader scripted(std::vector<std::string> lines)
{
    script_lines = std::move(lines);
    script_next = 0;
    return cli::answer_reader{scripted_line, {}, 0};
}

TEST(CliFirmwareQuestion, OneCharacterOfAWordPerQuestion)
{
    zan_test::output_capture output;
    cli::answer_reader reader = scripted({"x\n", "  n\n"});
    EXPECT_EQ(cli::confirm_update(reader), cli::answer::no);
    EXPECT_EQ(output.text(), "\tIs the update executed?(Y/N)?\tIs the update executed?(Y/N)?");

    output.clear();
    reader = scripted({"\n", "Y\n"});
    EXPECT_EQ(cli::confirm_update(reader), cli::answer::yes);
    EXPECT_EQ(output.text(), "\tIs the update executed?(Y/N)?\n");

    // What is left of a word answers the next question.
    reader = scripted({"yn\n"});
    EXPECT_EQ(cli::confirm_update(reader), cli::answer::yes);
    EXPECT_EQ(cli::confirm_update(reader), cli::answer::no);

    // The end of input answers no.
    reader = scripted({"?\n"});
    EXPECT_EQ(cli::confirm_update(reader), cli::answer::no);
}

class download_rule_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        ASSERT_TRUE(port_.open("\\\\.\\Scsi2:"));
        ASSERT_TRUE(download_.open(port_number));
    }

    std::uint64_t requests() const
    {
        std::uint64_t count = 0;
        EXPECT_EQ(sim::request_count(port_number, count), "");
        return count;
    }

    // One controller-information request under the download's retry rule;
    // the number of requests it took.
    std::uint64_t exchange(zan::exchange_end expected)
    {
        const std::uint64_t before = requests();
        std::vector<std::uint8_t> buffer(zan::ENVELOPE_HEADER_LENGTH + sizeof(zan::ContInfo), 0);
        buffer[zan::ENVELOPE_HEADER_LENGTH] = 0xFF;
        zan::fill_envelope(buffer, zan::DOWNLOAD_SENDER, zan::IOCTL_KRAID_GET_CONTROLLER_INFO,
                           sizeof(zan::ContInfo));
        EXPECT_EQ(zan::run_exchange(port_, buffer, 10, zan::DOWNLOAD_SENDER.rule).end, expected);
        return requests() - before;
    }

    static constexpr int port_number = 2; // the "one" machine's adapter
    zan_test::sim_root root_;
    plat::device port_;
    zan::firmware_download download_;
};

TEST_F(download_rule_test, BusyAndFailureAnswersAreCountedApart)
{
    // 350 busy answers and 5 failures: both limits reached, the piece still goes.
    ASSERT_EQ(sim::inject_busy(port_number, 350), "");
    ASSERT_EQ(sim::inject_status(port_number, 0x8013, 5), "");
    EXPECT_EQ(exchange(zan::exchange_end::good), 356u);

    ASSERT_EQ(sim::inject_busy(port_number, 351), "");
    EXPECT_EQ(exchange(zan::exchange_end::busy_limit), 351u);
    ASSERT_EQ(sim::clear_faults(port_number), "");

    // Busy answers before the failures do not give them a fresh count: six
    // failures end the exchange however many busy answers came first.
    ASSERT_EQ(sim::inject_busy(port_number, 3), "");
    ASSERT_EQ(sim::inject_status(port_number, 0x8013, 6), "");
    EXPECT_EQ(exchange(zan::exchange_end::attempts_exhausted), 9u);
}

TEST_F(download_rule_test, FailureStatusIsRepeatedLikeAnyOther)
{
    ASSERT_EQ(sim::inject_status(port_number, 0x8005, 5), "");
    EXPECT_EQ(exchange(zan::exchange_end::good), 6u);

    // A piece the adapter refuses every time: six sends, then the device is
    // abnormal (a download cannot begin past offset 0).
    const std::uint64_t before = requests();
    const std::uint8_t piece[1] = {0};
    EXPECT_EQ(download_.send_piece(4096, piece).end, zan::download_end::device_abnormal);
    EXPECT_EQ(requests() - before, 6u);
}

TEST_F(download_rule_test, AnUnopenedPortFailsLikeAnInvalidHandle)
{
    zan::firmware_download unopened;
    const std::uint8_t piece[1] = {0};
    const zan::download_result result = unopened.send_piece(0, piece);
    EXPECT_EQ(result.end, zan::download_end::send_failed);
    EXPECT_EQ(result.os_error, plat::ERR_INVALID_HANDLE);
}

} // namespace
