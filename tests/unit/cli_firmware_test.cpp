// zancli's firmware update: the image checks, the information block, the
// WRITE BUFFER record, the question, the download's retry rule and the
// numbering of the download ports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "exchange.h"
#include "firmware_image.h"
#include "firmware_ports.h"
#include "firmware_update.h"
#include "plat/error.h"
#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace {

cli::image_header header_for(std::uint32_t length, const char* revision = "A012")
{
    cli::image_header header{};
    std::memcpy(header.magic, "Brimstal", 8);
    std::memcpy(header.revision, revision, 4);
    header.image_length.set(length);
    return header;
}

TEST(CliFirmwareImage, LengthFieldMustMatchTheFileExactly)
{
    const cli::image_header header = header_for(0x000F8000);
    EXPECT_EQ(cli::check_image(header, 256 + 0x000F8000), cli::image_check::valid);
    EXPECT_EQ(cli::check_image(header, 256 + 0x000F8000 + 1), cli::image_check::broken);
    EXPECT_EQ(cli::check_image(header, 256 + 0x000F8000 - 1), cli::image_check::broken);

    // A header cut short by the file reads zero where the file ended.
    cli::image_header empty{};
    std::memcpy(empty.magic, "Brimstal", 8);
    EXPECT_EQ(cli::check_image(empty, 10), cli::image_check::broken);
    // A header alone is an empty image: nothing to write.
    EXPECT_EQ(cli::check_image(empty, 256), cli::image_check::broken);
}

TEST(CliFirmwareImage, WrongMagicAndOversizedFilesAreRefused)
{
    cli::image_header header = header_for(16);
    header.magic[7] = 'L';
    EXPECT_EQ(cli::check_image(header, 256 + 16), cli::image_check::not_image);
    cli::image_header zeros{};
    EXPECT_EQ(cli::check_image(zeros, 0), cli::image_check::not_image);

    // Offsets travel in 24 bits: 16 MiB and more cannot be sent.
    EXPECT_EQ(cli::check_image(header_for(0xFFFFFF), 256 + 0xFFFFFFull), cli::image_check::valid);
    EXPECT_EQ(cli::check_image(header_for(0x1000000), 256 + 0x1000000ull), cli::image_check::broken);
    // A file of 4 GiB or more, whatever its length field says.
    EXPECT_EQ(cli::check_image(header_for(0xFFFFFF00), 0x100000000ull), cli::image_check::broken);
}

TEST(CliFirmwareImage, OnlyANewerAdapterRevisionIsADowngrade)
{
    const char a011[4] = {'A', '0', '1', '1'};
    const char a012[4] = {'A', '0', '1', '2'};
    EXPECT_TRUE(cli::is_downgrade(a012, a011));
    EXPECT_FALSE(cli::is_downgrade(a011, a012));
    EXPECT_FALSE(cli::is_downgrade(a012, a012));
}

TEST(CliFirmwareImage, InformationBlock)
{
    cli::image_header header = header_for(0x000F8000, "A013");
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
    EXPECT_EQ(cli::piece_count(8192), 2u);
    EXPECT_EQ(cli::piece_count(4097), 2u);
    EXPECT_EQ(cli::piece_count(1), 1u);
    EXPECT_EQ(cli::piece_count(0), 0u);
    EXPECT_EQ(cli::percent_sent(1, 2), 50);
    EXPECT_EQ(cli::percent_sent(2, 2), 100);
    EXPECT_EQ(cli::percent_sent(1, 3), 33);
    EXPECT_EQ(cli::percent_sent(4095, 4096), 99); // no overflow on large images
}

TEST(CliFirmwareImage, WriteBufferRecordOfTheRemainderPiece)
{
    cli::write_buffer_record record;
    std::memset(&record, 0xEE, sizeof record);
    const std::uint8_t piece[1] = {0x5A};
    cli::fill_write_buffer(record, 4096, piece);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    const std::vector<std::uint8_t> head(bytes, bytes + 24);
    EXPECT_EQ(head, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0,                             // status, completion
                                               0x3B, 0x05, 0x01, 0x00, 0x10, 0x00,           // offset 4096
                                               0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0,     // length 1
                                               0x5A, 0x00}));
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

// The controller id the adapter behind a download port reports.
int controller_id_of(plat::device& port)
{
    std::vector<std::uint8_t> buffer(zan::ENVELOPE_HEADER_LENGTH + sizeof(zan::ContInfo), 0);
    buffer[zan::ENVELOPE_HEADER_LENGTH] = 0xFF;
    zan::fill_envelope(buffer, zan::LIBRARY_SENDER, zan::IOCTL_KRAID_GET_CONTROLLER_INFO, sizeof(zan::ContInfo));
    if (zan::run_exchange(port, buffer, 10, zan::LIBRARY_SENDER.rule).end != zan::exchange_end::good) return -1;
    return buffer[zan::ENVELOPE_HEADER_LENGTH];
}

TEST(CliFirmwarePorts, NumberedAsTheLibraryNumbersItsControllers)
{
    for (const char* scenario : {"drivers", "mute", "five", "demo"}) {
        zan_test::sim_root root;
        root.create(scenario);
        ASSERT_EQ(initContData(0), 1);
        std::uint8_t count = 0;
        ASSERT_EQ(getContNum(&count), 1);

        cli::download_ports ports;
        ASSERT_TRUE(cli::open_download_ports(ports)) << scenario;
        EXPECT_EQ(ports.count, count) << scenario;
        for (int adapter = 0; adapter < count; ++adapter) {
            zan::ContInfo info{};
            ASSERT_EQ(getContInfo(adapter, &info), 1);
            EXPECT_EQ(controller_id_of(ports.devices[adapter]), info.controller_id) << scenario << " " << adapter;
        }
        EXPECT_EQ(finContData(), 1);
    }
}

TEST(CliFirmwarePorts, NoAdapterPortIsABadDevice)
{
    zan_test::sim_root root;
    root.create("empty");
    cli::download_ports ports;
    EXPECT_FALSE(cli::open_download_ports(ports));
    EXPECT_EQ(plat::last_error(), plat::ERR_BAD_DEVICE);
}

class download_rule_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        ASSERT_TRUE(cli::open_download_ports(ports_));
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
        EXPECT_EQ(zan::run_exchange(ports_.devices[0], buffer, 10, zan::DOWNLOAD_SENDER.rule).end, expected);
        return requests() - before;
    }

    static constexpr int port_number = 2; // the "one" machine's adapter
    zan_test::sim_root root_;
    cli::download_ports ports_;
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
    EXPECT_EQ(cli::send_piece(ports_.devices[0], 4096, piece, 1).end, cli::piece_end::device_abnormal);
    EXPECT_EQ(requests() - before, 6u);
}

TEST_F(download_rule_test, AnUnopenedPortFailsLikeAnInvalidHandle)
{
    plat::device unopened;
    const std::uint8_t piece[1] = {0};
    const cli::piece_result result = cli::send_piece(unopened, 0, piece, 1);
    EXPECT_EQ(result.end, cli::piece_end::send_failed);
    EXPECT_EQ(result.os_error, plat::ERR_INVALID_HANDLE);
}

} // namespace
