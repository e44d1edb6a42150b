// The simulated drives behind the adapter: their answers to the commands the
// adapter forwards (status and fixed-format sense, data moved), the state
// those commands change, and the layouts of the logs and log pages the log
// tools read.
#include <gtest/gtest.h>

#include <vector>

#include "../../sim/engine/drive_logs.h"
#include "../../sim/engine/drive_scsi.h"
#include "plat/device.h"
#include "sim_root.h"

namespace {

using bytes = std::vector<std::uint8_t>;

sim::adapter drives_adapter()
{
    sim::adapter a;
    a.drives[1].present = true;
    a.drives[1].vendor = "VELMORA";
    a.drives[1].product = "VMA3073RC";
    a.drives[1].revision = "V201";
    a.drives[1].serial = "VM1234567890";
    a.drives[2] = a.drives[1];
    a.drives[2].product = "VMB3036RC";
    a.drives[2].spindle = sim::SPINDLE_STOPPED;
    return a;
}

struct answer_case {
    const char* name;
    std::uint32_t hdd;
    bytes cdb;
    std::size_t data_size;
    std::uint8_t status;
    std::uint32_t sense; // 0xKKAAQQ with CHECK CONDITION
    std::uint32_t transferred;
};

const answer_case ANSWER_CASES[] = {
    {"inquiry", 1, {0x12, 0, 0, 0, 48, 0}, 256, 0, 0, 48},
    {"inquiry cut to the buffer", 1, {0x12, 0, 0, 0, 96, 0}, 20, 0, 0, 20},
    {"inquiry of the serial number page", 1, {0x12, 1, 0x80, 0, 255, 0}, 256, 0, 0, 16},
    {"inquiry of a page not kept", 1, {0x12, 1, 0x83, 0, 255, 0}, 256, 2, 0x052400, 0},
    {"test unit ready, spinning", 1, {0x00, 0, 0, 0, 0, 0}, 0, 0, 0, 0},
    {"test unit ready, stopped", 2, {0x00, 0, 0, 0, 0, 0}, 0, 2, 0x020402, 0},
    {"log sense may read while stopped", 2, {0x4D, 0, 0x00, 0, 0, 0, 0, 0x10, 0, 0}, 4096, 0, 0, 15},
    {"log sense, supported pages", 1, {0x4D, 1, 0x40, 0, 0, 0, 0, 0x10, 0, 0}, 4096, 0, 0, 15},
    {"log sense, error history", 1, {0x4D, 0, 0x31, 0, 0, 0, 0, 0x35, 0x74, 0}, 0x4000, 0, 0, 13684},
    {"log sense, SMART cut to 212", 1, {0x4D, 0, 0x32, 0, 0, 0, 0, 0, 212, 0}, 4096, 0, 0, 212},
    {"log sense of a page not kept", 1, {0x4D, 0, 0x3E, 0, 0, 0, 0, 0x10, 0, 0}, 4096, 2, 0x052400, 0},
    {"log sense with PPC", 1, {0x4D, 2, 0x02, 0, 0, 0, 0, 0x10, 0, 0}, 4096, 2, 0x052400, 0},
    {"log sense of a subpage", 1, {0x4D, 0, 0x02, 1, 0, 0, 0, 0x10, 0, 0}, 4096, 2, 0x052400, 0},
    {"log sense, supported pages from a parameter", 1, {0x4D, 0, 0, 0, 0, 0, 1, 0x10, 0, 0}, 4096, 2, 0x052400, 0},
    {"internal log header", 1, {0xFE, 2, 0, 0, 0, 0, 0, 0, 4, 0}, 4, 0, 0, 4},
    {"internal log to its end", 1, {0xFE, 1, 0, 0, 0x03, 0xF0, 0, 0x10, 0, 0}, 4096, 0, 0, 1024 - 0x3F0},
    {"internal log, unknown selector", 1, {0xFE, 3, 0, 0, 0, 0, 0, 0, 4, 0}, 4, 2, 0x052400, 0},
    {"internal log, offset past the end", 1, {0xFE, 8, 0, 0, 0x02, 0x01, 0, 0, 4, 0}, 4, 2, 0x052400, 0},
    {"short command", 1, {0x4D, 0, 0x02, 0, 0, 0}, 4096, 2, 0x052400, 0},
    {"start with a power condition", 1, {0x1B, 1, 0, 0, 0x11, 0}, 0, 2, 0x052400, 0},
    {"read(10) is not kept", 1, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 512, 2, 0x052000, 0},
};

TEST(sim_drive, answers_each_command_with_status_sense_and_data)
{
    for (const answer_case& c : ANSWER_CASES) {
        SCOPED_TRACE(c.name);
        sim::adapter a = drives_adapter();
        bytes data(c.data_size, 0xEE);
        const sim::drive_reply reply = sim::drive_command(a, c.hdd, c.cdb, data);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.transferred, c.transferred);
        if (c.status == 2) {
            ASSERT_EQ(reply.sense_length, sim::FIXED_SENSE_LENGTH);
            EXPECT_EQ(reply.sense[0] & 0x7F, 0x70);
            EXPECT_EQ(reply.sense[7], 10);
            EXPECT_EQ((reply.sense[2] << 16) | (reply.sense[12] << 8) | reply.sense[13], c.sense);
        } else {
            EXPECT_EQ(reply.sense_length, 0u);
        }
        for (std::size_t i = c.transferred; i < data.size(); ++i) ASSERT_EQ(data[i], 0xEE) << i;
    }
}

TEST(sim_drive, inquiry_and_internal_logs_carry_identity_and_headers)
{
    sim::adapter a = drives_adapter();
    bytes data(48);
    (void)sim::drive_command(a, 1, bytes{0x12, 0, 0, 0, 48, 0}, data);
    EXPECT_EQ(std::string(data.begin() + 8, data.end()), "VELMORA VMA3073RC       V201VM1234567890");

    // The header gives the length without itself; an offset past the end
    // names the whole length in the information field.
    const bytes log = sim::internal_log(a.drives[1], 1, sim::LOG_DRIVE_INTERNAL);
    EXPECT_EQ(bytes(log.begin(), log.begin() + 4), (bytes{0x02, 0x01, 0x11, 0x70}));
    EXPECT_EQ(log.size(), 70004u);
    const sim::drive_reply past = sim::drive_command(a, 1, bytes{0xFE, 2, 0, 0x01, 0x11, 0x75, 0, 0, 1, 0}, data);
    EXPECT_EQ(past.sense[0], 0xF0);
    EXPECT_EQ(bytes(past.sense.begin() + 3, past.sense.begin() + 7), (bytes{0x00, 0x01, 0x11, 0x74}));

    // Another drive or seed gives other bytes, and so does the next 256.
    EXPECT_NE(sim::internal_log(a.drives[2], 2, sim::LOG_DRIVE_INTERNAL), log);
    a.drives[1].log_seed = 7;
    EXPECT_NE(sim::internal_log(a.drives[1], 1, sim::LOG_DRIVE_INTERNAL), log);
    EXPECT_NE(bytes(log.begin() + 4, log.begin() + 260), bytes(log.begin() + 260, log.begin() + 516));
}

TEST(sim_drive, spindle_start_stop_and_chosen_answers_change_the_drive)
{
    sim::adapter a = drives_adapter();
    sim::physical_drive& d = a.drives[2];
    d.spin_up_polls = 2;
    const bytes tur{0, 0, 0, 0, 0, 0};
    const auto tur_sense = [&] {
        const sim::drive_reply r = sim::drive_command(a, 2, tur, {});
        return r.status == 0 ? 0u : static_cast<std::uint32_t>((r.sense[2] << 16) | (r.sense[12] << 8) | r.sense[13]);
    };
    EXPECT_EQ(sim::drive_command(a, 2, bytes{0x1B, 1, 0, 0, 1, 0}, {}).status, 0);
    EXPECT_EQ(d.start_stops, 1u);
    EXPECT_EQ(tur_sense(), 0x020401u);
    EXPECT_EQ(tur_sense(), 0x020401u);
    EXPECT_EQ(tur_sense(), 0u);
    EXPECT_EQ(sim::drive_command(a, 2, bytes{0x1B, 1, 0, 0, 1, 0}, {}).status, 0);
    EXPECT_EQ(d.start_stops, 1u) << "a running spindle is not started again";
    (void)sim::drive_command(a, 2, bytes{0x1B, 1, 0, 0, 0, 0}, {});
    EXPECT_EQ(tur_sense(), 0x020402u);

    // A chosen answer stands in for the next N commands, then the drive
    // answers for itself again; the save-parameters bit is counted.
    d.spindle = sim::SPINDLE_RUNNING;
    d.answer_status = 2;
    d.answer_sense = 0x030C00;
    d.answer_info = 0x1234;
    d.answer_count = 2;
    EXPECT_EQ(tur_sense(), 0x030C00u);
    const sim::drive_reply second = sim::drive_command(a, 2, tur, {});
    EXPECT_EQ(second.sense[0], 0xF0);
    EXPECT_EQ(second.sense[6], 0x34);
    EXPECT_EQ(tur_sense(), 0u);
    d.answer_status = 0x08;
    d.answer_count = 1;
    const sim::drive_reply busy = sim::drive_command(a, 2, tur, {});
    EXPECT_EQ(busy.status, 0x08);
    EXPECT_EQ(busy.sense_length, 0u);
    bytes page(64);
    (void)sim::drive_command(a, 2, bytes{0x4D, 1, 0x00, 0, 0, 0, 0, 0, 64, 0}, page);
    EXPECT_EQ(d.log_saves, 1u);
}

TEST(sim_drive, log_pages_have_the_layouts_the_tools_walk)
{
    const sim::adapter a = drives_adapter();
    const sim::physical_drive& d = a.drives[1];
    const bytes supported = *sim::log_page(d, 1, sim::PAGE_SUPPORTED, 1);
    EXPECT_EQ(supported, (bytes{0x00, 0, 0, 11, 0x00, 0x02, 0x03, 0x05, 0x06, 0x0D, 0x0E, 0x10, 0x2F, 0x31, 0x32}));
    for (const std::uint8_t code : sim::supported_log_pages()) {
        SCOPED_TRACE(int(code));
        const bytes page = *sim::log_page(d, 1, code, 1);
        EXPECT_EQ(page[0], code);
        ASSERT_EQ(page.size(), 4u + ((page[2] << 8) | page[3]));
        if (code == sim::PAGE_SUPPORTED) continue;
        // Parameters walk to the end of the page exactly, codes ascending.
        std::size_t at = 4;
        int last = -1;
        while (at < page.size()) {
            const int parameter = (page[at] << 8) | page[at + 1];
            EXPECT_GT(parameter, last);
            last = parameter;
            at += 4 + page[at + 3];
        }
        EXPECT_EQ(at, page.size());
    }

    // Error history: 180 entries of 76 bytes, numbered 1-180 from offset 4.
    const bytes history = *sim::log_page(d, 1, sim::PAGE_ERROR_HISTORY, 0);
    ASSERT_EQ(history.size(), 4u + 180 * 76);
    for (std::size_t e = 0; e < 180; ++e) ASSERT_EQ(history[4 + 76 * e + 1], e + 1);
    EXPECT_NE(history[4 + 14], 0) << "the first entry holds an error";

    // SMART: reads, writes and seeks have 4, 2 or 8 heads by the model.
    struct model_case {
        const char* product;
        std::size_t page_size;
    };
    for (const model_case& m : {model_case{"VMA3073RC", 214}, {"VMB3036RC", 166}, {"MRD2147SS", 310}, {"VMB3300RC", 310}}) {
        sim::physical_drive other = d;
        other.product = m.product;
        EXPECT_EQ(sim::log_page(other, 1, sim::PAGE_SMART, 0)->size(), m.page_size) << m.product;
    }

    // Page control: counters have thresholds, defaults are zero; readings are
    // the same for both current controls.
    const bytes cumulative = *sim::log_page(d, 1, 0x02, 1);
    const bytes threshold = *sim::log_page(d, 1, 0x02, 0);
    const bytes defaults = *sim::log_page(d, 1, 0x02, 3);
    EXPECT_NE(cumulative, threshold);
    EXPECT_EQ(bytes(threshold.begin() + 8, threshold.begin() + 12), (bytes{0, 0, 0x03, 0xE8}));
    EXPECT_EQ(defaults[8] | defaults[9] | defaults[10] | defaults[11], 0);
    EXPECT_EQ(*sim::log_page(d, 1, sim::PAGE_SMART, 0), *sim::log_page(d, 1, sim::PAGE_SMART, 1));
    EXPECT_FALSE(sim::log_page(d, 1, 0x3E, 1));
}

// Through the adapter's port: the wrapper is checked and taken off, the
// drive's new state is kept for the next command.
TEST(sim_drive, the_raid_disk_forwards_wrapped_commands_and_keeps_the_drive_state)
{
    zan_test::sim_root root;
    root.create("drives");
    plat::device port;
    ASSERT_TRUE(port.open("\\\\.\\Scsi2:"));
    struct wrapped_case {
        const char* name;
        bytes cdb;
        plat::scsi_direction direction;
        std::size_t data_size;
        std::uint8_t status;
        std::uint8_t asc;
    };
    const wrapped_case cases[] = {
        {"stopped drive not ready", {0xBA, 2, 0, 0, 0, 0, 0, 0}, plat::scsi_direction::none, 0, 2, 0x04},
        {"start it", {0xBA, 2, 0x1B, 1, 0, 0, 1, 0}, plat::scsi_direction::none, 0, 0, 0},
        {"becoming ready", {0xBA, 2, 0, 0, 0, 0, 0, 0}, plat::scsi_direction::none, 0, 2, 0x04},
        {"absent drive", {0xBB, 9, 0x12, 0, 0, 0, 48, 0}, plat::scsi_direction::in, 48, 2, 0x25},
        {"drive beyond the slots", {0xBB, 12, 0x12, 0, 0, 0, 48, 0}, plat::scsi_direction::in, 48, 2, 0x25},
        {"data in on a data-out wrapper", {0xBA, 1, 0x12, 0, 0, 0, 48, 0}, plat::scsi_direction::in, 48, 2, 0x24},
        {"wrapper without a command", {0xBB, 1}, plat::scsi_direction::in, 48, 2, 0x24},
    };
    for (const wrapped_case& c : cases) {
        SCOPED_TRACE(c.name);
        bytes data(c.data_size);
        bytes sense(48);
        plat::scsi_result result;
        ASSERT_TRUE(port.pass_through({.cdb = c.cdb, .direction = c.direction, .data = data, .sense = sense}, result));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(sense[12], c.asc);
    }
}

} // namespace
