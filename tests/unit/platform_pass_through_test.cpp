// The typed SCSI pass-through of the device facility, answered by the
// simulated adapter's RAID disk behind a port device: INQUIRY and TEST UNIT
// READY for real, wrapped commands to drives forwarded (an empty slot
// refused), every other command refused with ILLEGAL REQUEST sense;
// requests no backend can carry fail the call itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plat/device.h"
#include "plat/error.h"
#include "sim/control.h"
#include "sim_root.h"

namespace {

using plat::scsi_direction;

struct command_case {
    const char* name;
    std::vector<std::uint8_t> cdb;
    scsi_direction direction;
    std::size_t data_size;
    std::size_t sense_size;
    std::uint8_t status;
    std::uint32_t transferred;
    std::uint32_t sense_length;
    std::uint8_t asc; // with CHECK CONDITION
};

const command_case COMMAND_CASES[] = {
    {"inquiry", {0x12, 0, 0, 0, 36, 0}, scsi_direction::in, 96, 32, 0, 36, 0, 0},
    {"inquiry cut to its allocation length", {0x12, 0, 0, 0, 5, 0}, scsi_direction::in, 96, 32, 0, 5, 0, 0},
    {"inquiry into a smaller buffer", {0x12, 0, 0, 0, 96, 0}, scsi_direction::in, 20, 32, 0, 20, 0, 0},
    {"test unit ready", {0x00, 0, 0, 0, 0, 0}, scsi_direction::none, 0, 32, 0, 0, 0, 0},
    {"read(16) is not kept", {0x88, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, scsi_direction::in, 512, 32, 2, 0, 18, 0x20},
    {"wrapped command to an empty slot", {0xBB, 9, 0x12, 0, 0, 0, 48, 0}, scsi_direction::in, 48, 32, 2, 0, 18, 0x25},
    {"vital product data is not kept", {0x12, 1, 0x80, 0, 36, 0}, scsi_direction::in, 96, 32, 2, 0, 18, 0x24},
    {"sense cut to its buffer", {0x1B, 0, 0, 0, 1, 0}, scsi_direction::none, 0, 8, 2, 0, 8, 0x20},
};

class pass_through_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("demo");
        ASSERT_TRUE(port_.open("\\\\.\\Scsi2:"));
    }
    zan_test::sim_root root_;
    plat::device port_;
};

TEST_F(pass_through_test, the_raid_disk_answers_inquiry_and_test_unit_ready_and_refuses_the_rest)
{
    for (const command_case& c : COMMAND_CASES) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> data(c.data_size, 0xEE);
        std::vector<std::uint8_t> sense(c.sense_size, 0xEE);
        const plat::scsi_request request{.cdb = c.cdb, .direction = c.direction, .data = data, .sense = sense};
        plat::scsi_result result;
        ASSERT_TRUE(port_.pass_through(request, result));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.transferred, c.transferred);
        EXPECT_EQ(result.sense_length, c.sense_length);
        if (c.status == 2) {
            EXPECT_EQ(sense[0], 0x70);
            EXPECT_EQ(sense[2], 0x05);
            if (c.sense_length > 13) {
                EXPECT_EQ(sense[12], c.asc);
                EXPECT_EQ(sense[13], 0x00);
            }
        }
        if (c.transferred >= 32) {
            EXPECT_EQ(data[0], 0x00); // a direct-access device
            EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 32), "MERIDAN ZAN8SAS RAID    ");
            EXPECT_EQ(std::string(data.begin() + 32, data.begin() + 36), "1.10");
        }
        // Nothing is written past what was transferred.
        for (std::size_t i = c.transferred; i < data.size(); ++i) ASSERT_EQ(data[i], 0xEE) << i;
    }
}

TEST_F(pass_through_test, requests_no_device_can_carry_fail_the_call)
{
    std::uint8_t data[8] = {};
    std::uint8_t sense[32] = {};
    const std::vector<std::uint8_t> tur(6, 0);
    const std::vector<std::uint8_t> long_cdb(17, 0);
    std::vector<std::uint8_t> big_sense(256);
    struct bad_case {
        const char* name;
        plat::scsi_request request;
    };
    const bad_case cases[] = {
        {"no CDB", {.cdb = {}, .direction = scsi_direction::none, .data = {}, .sense = sense}},
        {"a CDB of 17 bytes", {.cdb = long_cdb, .direction = scsi_direction::none, .data = {}, .sense = sense}},
        {"data without a direction", {.cdb = tur, .direction = scsi_direction::none, .data = data, .sense = sense}},
        {"a direction without data", {.cdb = tur, .direction = scsi_direction::in, .data = {}, .sense = sense}},
        {"sense beyond its length byte", {.cdb = tur, .direction = scsi_direction::none, .data = {}, .sense = big_sense}},
    };
    for (const bad_case& c : cases) {
        plat::scsi_result result;
        EXPECT_FALSE(port_.pass_through(c.request, result)) << c.name;
        EXPECT_EQ(plat::last_error(), plat::ERR_INVALID_PARAMETER) << c.name;
    }

    const plat::scsi_request ready{.cdb = tur, .direction = scsi_direction::none, .data = {}, .sense = sense};
    plat::scsi_result result;
    ASSERT_EQ(sim::set_silent(2, true), "");
    EXPECT_FALSE(port_.pass_through(ready, result));
    EXPECT_EQ(plat::last_error(), plat::ERR_SEM_TIMEOUT);

    plat::device volume;
    ASSERT_TRUE(volume.open("\\\\.\\D:"));
    EXPECT_FALSE(volume.pass_through(ready, result));
    EXPECT_EQ(plat::last_error(), plat::ERR_INVALID_FUNCTION);

    port_.close();
    EXPECT_FALSE(port_.pass_through(ready, result));
    EXPECT_EQ(plat::last_error(), plat::ERR_INVALID_HANDLE);
}

} // namespace
