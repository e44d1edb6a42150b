// The simulated SCSI port device: envelope checks, answers of the modelled
// control codes, the adapter's lock, fault counting and damaged state files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <random>
#include <vector>

#include "../../sim/engine/store.h"
#include "plat/error.h"
#include "sim/control.h"
#include "sim/device.h"
#include "sim/root.h"
#include "sim_root.h"
#include "zanioctl.h"

namespace {

using buffer = std::vector<std::uint8_t>;

// An envelope with its record; `length` defaults to the code's record size.
buffer envelope(std::uint32_t code, std::uint32_t length = 0, const zan::u8* signature = zan::SIGNATURE_CONTROL)
{
    if (length == 0) length = zan::find_control_code(code)->record_size;
    buffer b(zan::ENVELOPE_HEADER_LENGTH + length, 0);
    zan::store_le32(b.data(), zan::ENVELOPE_HEADER_LENGTH);
    std::memcpy(b.data() + 4, signature, 8);
    zan::store_le32(b.data() + 12, 10);
    zan::store_le32(b.data() + 16, code);
    zan::store_le32(b.data() + 24, length);
    return b;
}

std::uint8_t* record(buffer& b)
{
    return b.data() + zan::ENVELOPE_HEADER_LENGTH;
}

std::uint16_t status_of(buffer& b, std::uint32_t code)
{
    return zan::load_le16(record(b) + zan::find_control_code(code)->status_offset);
}

class sim_device : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        ASSERT_EQ(sim::open_device("\\\\.\\Scsi2:", port_), 0u);
    }

    // Sends `b` as its own input and output buffer, like every sender.
    std::uint32_t send(buffer& b, std::uint32_t size = 0)
    {
        if (size == 0) size = static_cast<std::uint32_t>(b.size());
        returned_ = 0;
        return sim::device_control(port_, zan::IOCTL_SCSI_MINIPORT, b.data(), size, b.data(), size, &returned_);
    }

    // Sends a request of `code` with byte 0 and 1 set; returns its status word.
    std::uint16_t ask(std::uint32_t code, std::uint8_t byte0, std::uint8_t byte1 = 0)
    {
        buffer b = envelope(code);
        record(b)[0] = byte0;
        record(b)[1] = byte1;
        EXPECT_EQ(send(b), 0u);
        last_ = b;
        return status_of(b, code);
    }

    std::uint64_t requests()
    {
        std::uint64_t count = 0;
        EXPECT_EQ(sim::request_count(2, count), "");
        return count;
    }

    zan_test::sim_root root_;
    sim::device_ref port_;
    std::uint32_t returned_ = 0;
    buffer last_;
};

TEST_F(sim_device, only_port_paths_of_existing_adapters_open)
{
    sim::device_ref ref;
    EXPECT_EQ(sim::open_device("\\\\.\\SCSI2:", ref), 0u);
    EXPECT_EQ(ref.number, 2);
    for (const char* path : {"\\\\.\\Scsi0:", "\\\\.\\Scsi3:", "\\\\.\\Scsi2", "\\\\.\\Scsi:", "\\\\.\\Scsi-2:",
                             "\\\\.\\Scsi0002:", "\\\\.\\Scsi2x:", "Scsi2:"}) {
        EXPECT_EQ(sim::open_device(path, ref), plat::ERR_FILE_NOT_FOUND) << path;
    }
}

TEST_F(sim_device, malformed_envelopes_are_refused_without_reaching_the_firmware)
{
    const std::uint32_t code = zan::IOCTL_KRAID_GET_RAID_STATUS;
    buffer b = envelope(code);
    // Buffers too small for the header or the record.
    EXPECT_EQ(send(b, 27), plat::ERR_INVALID_PARAMETER);
    EXPECT_EQ(send(b, static_cast<std::uint32_t>(b.size() - 1)), plat::ERR_INVALID_PARAMETER);
    EXPECT_EQ(sim::device_control(port_, zan::IOCTL_SCSI_MINIPORT, b.data(), 128, b.data(), 100, &returned_),
              plat::ERR_INVALID_PARAMETER);
    EXPECT_EQ(sim::device_control(port_, zan::IOCTL_SCSI_MINIPORT, nullptr, 128, b.data(), 128, &returned_),
              plat::ERR_INVALID_PARAMETER);
    // Another Windows control code.
    EXPECT_EQ(sim::device_control(port_, 0x0004D004, b.data(), 128, b.data(), 128, &returned_),
              plat::ERR_INVALID_FUNCTION);
    // An unknown control code: the status word cannot be located.
    buffer unknown = envelope(code);
    zan::store_le32(unknown.data() + 16, 0xA1D0E0FC);
    EXPECT_EQ(send(unknown), plat::ERR_INVALID_PARAMETER);

    // Wrong header length, signature or Length: failure in the status word.
    buffer header = envelope(code);
    zan::store_le32(header.data(), 24);
    const zan::u8 lower[8] = {'z', 'a', 'n', 'c', 't', 'l', ' ', 0};
    buffer signature = envelope(code, 0, lower);
    buffer length = envelope(code);
    zan::store_le32(length.data() + 24, 99);
    buffer write = envelope(zan::IOCTL_KRAID_SCSI_WRITE_BUFFER, 534);
    for (buffer* bad : {&header, &signature, &length}) {
        EXPECT_EQ(send(*bad), 0u);
        EXPECT_EQ(status_of(*bad, code), zan::IOC_STATUS_FAILURE);
    }
    EXPECT_EQ(send(write), 0u);
    EXPECT_EQ(zan::load_le16(record(write)), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(requests(), 0u);
}

TEST_F(sim_device, both_signatures_and_the_large_read_length_are_accepted)
{
    buffer service = envelope(zan::IOCTL_KRAID_GET_RAID_STATUS, 0, zan::SIGNATURE_SERVICE);
    EXPECT_EQ(send(service), 0u);
    EXPECT_EQ(status_of(service, zan::IOCTL_KRAID_GET_RAID_STATUS), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(returned_, 128u);

    buffer large = envelope(zan::IOCTL_KRAID_SCSI_READ_BUFFER, zan::LARGE_TRANSFER_LENGTH);
    const std::uint8_t cdb[] = {0x3C, 0x01, 0xA0, 0, 0, 0, 0, 0x01, 0x00, 0};
    std::memcpy(record(large) + zan::SCSI_REQUEST_CDB, cdb, sizeof cdb);
    EXPECT_EQ(send(large), 0u);
    EXPECT_EQ(zan::load_le16(record(large)), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(record(large)[3], 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(record(large) + 22 + 42), "BT1.02");
    EXPECT_EQ(requests(), 2u);
}

TEST_F(sim_device, information_requests_answer_from_the_model)
{
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_CONTROLLER_INFO, 0xFF), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(record(last_)[0], 1); // the controller id of scenario "one"
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_RAID_STATUS, 0), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(record(last_)[12], 0x00);
    EXPECT_EQ(record(last_)[13], 0xFF);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_LOGICAL_DISK_INFO, 1, 0), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(record(last_)[12], 2);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_HDD_INFO, 1, 3), zan::IOC_STATUS_GOOD);
    EXPECT_EQ(record(last_)[43], 4);

    // Absent or out-of-range drives fail; another controller id is refused.
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_LOGICAL_DISK_INFO, 1, 1), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_LOGICAL_DISK_INFO, 1, 12), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_HDD_INFO, 1, 4), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_HDD_INFO, 1, 0xFF), zan::IOC_STATUS_FAILURE);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_HDD_INFO, 0, 0), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_CONTROLLER_INFO, 7), zan::IOC_STATUS_INVALID_PARAM);
    // Known codes the firmware does not carry out yet are rejected.
    EXPECT_EQ(ask(zan::IOCTL_KRAID_CONFIG_FAULT_RECOVERY, 1), zan::IOC_STATUS_INVALID_PARAM);
    EXPECT_EQ(ask(zan::IOCTL_KRAID_SET_SERVICE_STATE, 1), zan::IOC_STATUS_INVALID_PARAM);
}

TEST_F(sim_device, read_buffer_reports_unsupported_buffers_in_the_completion)
{
    const auto read = [this](std::initializer_list<std::uint8_t> cdb) {
        buffer b = envelope(zan::IOCTL_KRAID_SCSI_READ_BUFFER);
        std::copy(cdb.begin(), cdb.end(), record(b) + zan::SCSI_REQUEST_CDB);
        std::fill(record(b) + 22, record(b) + 534, 0xEE);
        EXPECT_EQ(send(b), 0u);
        EXPECT_EQ(zan::load_le16(record(b)), zan::IOC_STATUS_GOOD);
        return b;
    };
    buffer para = read({0x3C, 0x01, 0xA0, 0, 0, 0, 0, 0x01, 0x00, 0});
    EXPECT_EQ(record(para)[3], 0);
    EXPECT_EQ(record(para)[22 + 108], 0x13);
    EXPECT_EQ(record(para)[22 + 256], 0); // nothing beyond the allocation length
    buffer tail = read({0x3C, 0x01, 0xA0, 0, 0, 100, 0, 0x01, 0x00, 0});
    EXPECT_EQ(record(tail)[22 + 8], 0x13);
    EXPECT_EQ(record(tail)[22 + 156], 0);
    for (buffer b : {read({0x3C, 0x01, 0x77, 0, 0, 0, 0, 0x01, 0x00, 0}), // unknown buffer id
                     read({0x3C, 0x02, 0xA0, 0, 0, 0, 0, 0x01, 0x00, 0}), // wrong mode
                     read({0x3C, 0x01, 0xA0, 0, 0x01, 0, 0, 0x01, 0x00, 0}), // offset past the buffer
                     read({0x3C, 0x01, 0xA0, 0, 0, 0, 0, 0x02, 0x01, 0}), // longer than the data area
                     read({0x20, 0x01, 0x01, 0, 0, 5, 0, 0x02, 0x00, 0}), // SMART of an absent drive
                     read({0x12, 0x00, 0x00, 0, 0, 0, 0, 0x02, 0x00, 0})}) { // not a read
        EXPECT_NE(record(b)[3], 0);
        EXPECT_EQ(record(b)[22], 0);
    }
}

TEST_F(sim_device, faults_answer_in_order_and_each_consumes_one_request)
{
    ASSERT_EQ(sim::inject_busy(2, 2), "");
    ASSERT_EQ(sim::inject_status(2, 0x8013, 1), "");
    std::vector<std::uint16_t> answers;
    for (int i = 0; i < 4; ++i) answers.push_back(ask(zan::IOCTL_KRAID_GET_RAID_STATUS, 0));
    EXPECT_EQ(answers, (std::vector<std::uint16_t>{0x8001, 0x8001, 0x8013, 0x0000}));
    EXPECT_EQ(requests(), 4u);

    ASSERT_EQ(sim::set_silent(2, true), "");
    buffer b = envelope(zan::IOCTL_KRAID_GET_RAID_STATUS);
    EXPECT_EQ(send(b), plat::ERR_SEM_TIMEOUT);
    EXPECT_EQ(requests(), 4u);
    ASSERT_EQ(sim::inject_busy(2, 5), "");
    ASSERT_EQ(sim::clear_faults(2), "");
    EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_RAID_STATUS, 0), zan::IOC_STATUS_GOOD);

    EXPECT_NE(sim::inject_busy(7, 1), "");
    EXPECT_NE(sim::set_silent(-1, true), "");
    std::uint64_t count = 0;
    EXPECT_EQ(sim::request_count(3, count), "no adapter on port 3");
}

TEST_F(sim_device, a_fault_armed_for_request_n_fires_once_at_n_whatever_else_is_pending)
{
    constexpr std::uint16_t GOOD = zan::IOC_STATUS_GOOD;
    constexpr std::uint16_t BUSY = zan::IOC_STATUS_DEVICE_BUSY;
    constexpr std::uint16_t SILENT = 0xFFFF; // the call failed with a time-out
    struct armed {
        const char* what;
        std::string (*arm)(std::uint64_t n);
        std::uint64_t n;
        std::vector<std::uint16_t> answers;
        std::uint64_t counted;
    };
    const armed cases[] = {
        {"status at 3", [](std::uint64_t n) { return sim::inject_status_at(2, n, 0x8005); }, 3,
         {GOOD, GOOD, 0x8005, GOOD, GOOD}, 5},
        {"busy run at 2", [](std::uint64_t n) { return sim::inject_busy_at(2, n, 2); }, 2,
         {GOOD, BUSY, BUSY, GOOD, GOOD}, 5},
        {"silence at 1", [](std::uint64_t n) { return sim::inject_silence_at(2, n); }, 1,
         {SILENT, GOOD, GOOD, GOOD, GOOD}, 4},
        // Pending busy answers come after the armed fault and count toward N.
        {"status at 2 behind a busy answer",
         [](std::uint64_t n) {
             const std::string e = sim::inject_status_at(2, n, 0x8013);
             return e.empty() ? sim::inject_busy(2, 1) : e;
         },
         2, {BUSY, 0x8013, GOOD, GOOD, GOOD}, 5},
    };
    for (const armed& c : cases) {
        const std::uint64_t before = requests();
        ASSERT_EQ(c.arm(c.n), "") << c.what;
        std::vector<std::uint16_t> answers;
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            buffer b = envelope(zan::IOCTL_KRAID_GET_RAID_STATUS);
            const std::uint32_t rc = send(b);
            answers.push_back(rc == plat::ERR_SEM_TIMEOUT ? SILENT : status_of(b, zan::IOCTL_KRAID_GET_RAID_STATUS));
        }
        EXPECT_EQ(answers, c.answers) << c.what;
        EXPECT_EQ(requests() - before, c.counted) << c.what;
    }
    EXPECT_NE(sim::inject_status_at(2, 0, 0x8005), "");
    EXPECT_NE(sim::inject_busy_at(2, 1, 0), "");
    EXPECT_NE(sim::inject_silence_at(9, 1), "");
}

TEST_F(sim_device, a_held_adapter_answers_busy_even_within_one_process)
{
    sim::root_lock other;
    ASSERT_EQ(other.try_lock(sim::adapter_lock_path(sim::root_dir(), 2)), sim::root_lock::outcome::held);
    buffer b = envelope(zan::IOCTL_KRAID_GET_HDD_INFO);
    record(b)[0] = 1;
    EXPECT_EQ(send(b), 0u);
    EXPECT_EQ(status_of(b, zan::IOCTL_KRAID_GET_HDD_INFO), zan::IOC_STATUS_DEVICE_BUSY);
    EXPECT_EQ(record(b)[0], 1); // the request comes back as sent
    EXPECT_EQ(returned_, b.size());
}

TEST_F(sim_device, a_damaged_state_file_fails_requests_without_harm)
{
    const std::string path = sim::state_path(sim::root_dir(), 2);
    std::ofstream(path, std::ios::trunc) << "[adapter 2]\nmemory_mb = lots\n";
    buffer b = envelope(zan::IOCTL_KRAID_GET_RAID_STATUS);
    EXPECT_EQ(send(b), plat::ERR_IO_DEVICE);
    std::uint64_t count = 0;
    const std::string error = sim::request_count(2, count);
    EXPECT_NE(error.find("line 2: memory_mb"), std::string::npos) << error;
    EXPECT_NE(sim::inject_busy(2, 1), "");

    std::ofstream(path, std::ios::trunc) << "[adapter 5]\n";
    EXPECT_EQ(send(b), plat::ERR_IO_DEVICE);
    std::ofstream(path, std::ios::trunc) << "";
    EXPECT_EQ(send(b), plat::ERR_IO_DEVICE);
}

TEST_F(sim_device, reads_leave_the_state_file_alone_and_any_lost_line_is_refused)
{
    const std::string path = sim::state_path(sim::root_dir(), 2);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ask(zan::IOCTL_KRAID_GET_RAID_STATUS, 0), zan::IOC_STATUS_GOOD);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(requests(), 5u);

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), 20u);
    buffer b = envelope(zan::IOCTL_KRAID_GET_RAID_STATUS);
    for (std::size_t dropped = 0; dropped < lines.size(); ++dropped) {
        std::ofstream out(path, std::ios::trunc);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i != dropped) out << lines[i] << '\n';
        }
        out.close();
        EXPECT_EQ(send(b), plat::ERR_IO_DEVICE) << "without line " << dropped + 1 << ": " << lines[dropped];
    }
}

TEST_F(sim_device, random_envelopes_never_crash)
{
    std::mt19937 random(1234);
    const std::uint32_t codes[] = {zan::IOCTL_KRAID_GET_RAID_STATUS, zan::IOCTL_KRAID_GET_HDD_INFO,
                                   zan::IOCTL_KRAID_SCSI_READ_BUFFER, zan::IOCTL_KRAID_SCSI_MODE_SENSE,
                                   0xA1D0E0FC};
    for (int i = 0; i < 300; ++i) {
        buffer b(random() % 700, 0);
        for (auto& byte : b) byte = static_cast<std::uint8_t>(random());
        if (b.size() >= 28 && random() % 2 == 0) {
            const std::uint32_t code = codes[random() % 5];
            zan::store_le32(b.data(), 28);
            std::memcpy(b.data() + 4, zan::SIGNATURE_CONTROL, 8);
            zan::store_le32(b.data() + 16, code);
            if (const auto* layout = zan::find_control_code(code); layout != nullptr && random() % 2 == 0) {
                zan::store_le32(b.data() + 24, layout->record_size);
            }
        }
        const std::uint32_t result = send(b, static_cast<std::uint32_t>(b.size()));
        EXPECT_TRUE(result == 0 || result == plat::ERR_INVALID_PARAMETER) << result;
        EXPECT_LE(returned_, b.size());
    }
}

TEST(sim_setup, create_replaces_its_own_root_and_spares_foreign_folders)
{
    zan_test::sim_root root;
    root.create("demo");
    EXPECT_EQ(sim::list_ports(root.path()), (std::vector<std::uint32_t>{2, 3}));
    root.create("port12");
    EXPECT_EQ(sim::list_ports(root.path()), (std::vector<std::uint32_t>{12}));
    EXPECT_NE(sim::create_root("[adapter 2]\nbogus = 1\n"), "");

    zan_test::sim_root foreign;
    std::ofstream(foreign.path() + "/notes.txt") << "mine\n";
    EXPECT_NE(sim::create_root(sim::demo_scenario()), "");
    EXPECT_TRUE(std::ifstream(foreign.path() + "/notes.txt").good());
}

} // namespace
