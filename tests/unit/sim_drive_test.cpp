// The simulated drives behind the adapter: their answers to the commands the
// adapter forwards (status and fixed-format sense, data moved), the state
// those commands change, and the layouts of the logs and log pages the log
// tools read.
#include <gtest/gtest.h>

#include <vector>

#include "../../sim/engine/drive_firmware.h"
#include "../../sim/engine/drive_logs.h"
#include "../../sim/engine/drive_mode.h"
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
    {"mode sense, every page with the descriptor", 1, {0x1A, 0, 0x3F, 0, 255, 0}, 512, 0, 0, 4 + 8 + 12 + 20 + 12 + 12 + 30},
    {"mode sense of all subpages of page 0x22", 1, {0x1A, 8, 0x22, 0xFF, 255, 0}, 512, 0, 0, 4 + 30},
    {"mode sense cut to the allocation", 1, {0x1A, 8, 0x22, 0, 10, 0}, 512, 0, 0, 10},
    {"mode sense of a subpage the drive lacks", 1, {0x1A, 8, 0x22, 1, 255, 0}, 512, 2, 0x052400, 0},
    {"mode sense of a page not kept", 1, {0x1A, 8, 0x19, 0, 255, 0}, 512, 2, 0x052400, 0},
    {"read capacity", 1, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8, 0, 0, 8},
    {"read capacity, stopped", 2, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8, 2, 0x020402, 0},
    {"read capacity, an LBA without PMI", 1, {0x25, 0, 0, 0, 0, 1, 0, 0, 0, 0}, 8, 2, 0x052400, 0},
    {"write buffer with no bytes", 1, {0x3B, 7, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0, 0},
    {"write buffer in another mode", 1, {0x3B, 5, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 2, 0x052400, 0},
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

// What a MODE SELECT(6) parameter list with one block descriptor and
// `blocks` does to a 140014 MB drive (286,748,672 blocks).
bytes capacity_list(std::uint32_t blocks, std::uint32_t block_length = 512)
{
    return {0, 0, 0, 8, std::uint8_t(blocks >> 24), std::uint8_t(blocks >> 16), std::uint8_t(blocks >> 8),
            std::uint8_t(blocks), 0, std::uint8_t(block_length >> 16), std::uint8_t(block_length >> 8),
            std::uint8_t(block_length)};
}

TEST(sim_drive, block_descriptor_changes_the_capacity_the_adapter_sees)
{
    constexpr std::uint32_t full = 140014u * 2048;
    struct capacity_case {
        const char* name;
        bytes list;
        std::uint8_t refusal;
        std::uint64_t blocks;  // the capacity after it
        std::uint32_t size_mb; // as the adapter sees it
    };
    const capacity_case cases[] = {
        {"a part of a MiB rounds down", capacity_list(0x100FFF), 0, 0x100FFF, 513},
        {"a smaller capacity", capacity_list(0x100000), 0, 0x100000, 512},
        {"0 keeps the capacity", capacity_list(0), 0, 0x100000, 512},
        {"more than the drive has", capacity_list(full + 1), 0x26, 0x100000, 512},
        {"another block length", capacity_list(0x800, 4096), 0x26, 0x100000, 512},
        {"a descriptor cut short", bytes{0, 0, 0, 8, 0, 0, 0x08, 0}, 0x1A, 0x100000, 512},
        {"a descriptor of 4 bytes", bytes{0, 0, 0, 4, 0, 0, 0x08, 0}, 0x26, 0x100000, 512},
        {"the whole drive again", capacity_list(0xFFFFFFFF), 0, full, 140014},
        {"smaller again", capacity_list(0x100000), 0, 0x100000, 512},
    };
    sim::physical_drive d;
    d.present = true;
    for (const capacity_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sim::drive_mode_select(d, c.list), c.refusal);
        EXPECT_EQ(sim::drive_blocks(d), c.blocks);
        EXPECT_EQ(d.size_mb, c.size_mb);
        EXPECT_EQ(sim::drive_full_blocks(d), full);
    }
    EXPECT_EQ(sim::drive_mode_select(d, capacity_list(full)), 0);
    EXPECT_EQ(d.size_mb, 140014u);
    EXPECT_EQ(d.full_mb, 0u) << "the whole drive again is no change";

    // READ CAPACITY and the block descriptor of MODE SENSE tell the new end.
    sim::adapter a = drives_adapter();
    ASSERT_EQ(sim::drive_mode_select(a.drives[1], capacity_list(0x1234)), 0);
    bytes data(64);
    (void)sim::drive_command(a, 1, bytes{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, data);
    EXPECT_EQ(bytes(data.begin(), data.begin() + 8), (bytes{0, 0, 0x12, 0x33, 0, 0, 2, 0}));
    (void)sim::drive_command(a, 1, bytes{0x1A, 0, 0x01, 0, 64, 0}, data);
    EXPECT_EQ(bytes(data.begin(), data.begin() + 12), (bytes{23, 0, 0x10, 8, 0, 0, 0x12, 0x34, 0, 0, 2, 0}));
}

TEST(sim_drive, mode_select_keeps_changeable_page_bytes_only)
{
    sim::adapter a = drives_adapter();
    bytes list(4 + 30, 0);
    list[4] = 0x22;
    list[5] = 0x1C;
    for (std::size_t i = 2; i < 30; ++i) list[4 + i] = std::uint8_t(i);
    list[4 + 19] = 0;
    list[4 + 21] = 0;
    const auto select = [&a](const bytes& l) {
        const sim::drive_reply r = sim::drive_command(a, 1, bytes{0x15, 0x11, 0, 0, std::uint8_t(l.size()), 0}, {}, l);
        return r.status == 0 ? 0 : int(r.sense[12]);
    };
    EXPECT_EQ(select(list), 0);
    bytes page(64);
    (void)sim::drive_command(a, 1, bytes{0x1A, 8, 0x22, 0, 64, 0}, page);
    EXPECT_EQ(page[4], 0xA2) << "saveable";
    EXPECT_EQ(bytes(page.begin() + 5, page.begin() + 34), bytes(list.begin() + 5, list.end()));

    // A reserved byte, a page of the wrong length or one cut by the list
    // length changes nothing; a page equal to its default keeps no copy.
    bytes reserved = list;
    reserved[4 + 19] = 1;
    reserved[4 + 2] = 0x55;
    EXPECT_EQ(select(reserved), 0x26);
    bytes longer = list;
    longer[5] = 0x1D;
    longer.push_back(0);
    EXPECT_EQ(select(longer), 0x26);
    EXPECT_EQ(select(bytes(list.begin(), list.end() - 1)), 0x1A);
    EXPECT_EQ(a.drives[1].mode_pages.size(), 1u);
    EXPECT_EQ(a.drives[1].mode_pages[0][2], 2);
    const sim::drive_reply short_data = sim::drive_command(a, 1, bytes{0x15, 0x10, 0, 0, 34, 0}, {}, bytes(20));
    EXPECT_EQ(short_data.sense[12], 0x24);
    bytes defaults(34, 0);
    defaults[4] = 0x22;
    defaults[5] = 0x1C;
    EXPECT_EQ(select(defaults), 0);
    EXPECT_TRUE(a.drives[1].mode_pages.empty());
}

TEST(sim_drive, microcode_pieces_at_their_offsets_give_the_new_revision)
{
    const bytes image = sim::build_drive_image("V300", 70000);
    const auto piece = [&image](std::size_t at, std::size_t size) {
        return std::span<const std::uint8_t>(image).subspan(at, size);
    };
    sim::adapter a = drives_adapter();
    sim::physical_drive& d = a.drives[1];
    EXPECT_EQ(sim::take_microcode_piece(d, 0x100, piece(0x100, 16)), 0x2C) << "no download open";
    EXPECT_EQ(sim::take_microcode_piece(d, 0, piece(0, 0x10000)), 0);
    EXPECT_EQ(sim::take_microcode_piece(d, 0x8000, piece(0x8000, 16)), 0x2C) << "out of order";
    EXPECT_EQ(d.download_received, 0x10000u);
    EXPECT_EQ(d.revision, "V201");
    EXPECT_EQ(sim::take_microcode_piece(d, 0x10000, piece(0x10000, 70000 - 0x10000)), 0);
    EXPECT_EQ(d.revision, "V300");
    EXPECT_EQ(d.download_length, 0u);

    // A spoiled byte fails the checksum at the end; a piece past the length
    // or a first piece that is no image drops the download.
    bytes spoiled = image;
    spoiled[50000] ^= 1;
    EXPECT_EQ(sim::take_microcode_piece(d, 0, std::span(spoiled).first(0x10000)), 0);
    EXPECT_EQ(sim::take_microcode_piece(d, 0x10000, std::span(spoiled).subspan(0x10000)), 0x26);
    EXPECT_EQ(sim::take_microcode_piece(d, 0, piece(0, 0x10000)), 0);
    const bytes zeros(0x10000);
    EXPECT_EQ(sim::take_microcode_piece(d, 0x10000, zeros), 0x26);
    EXPECT_EQ(d.download_length, 0u);
    EXPECT_EQ(sim::take_microcode_piece(d, 0, std::span(zeros).first(64)), 0x26);
    EXPECT_EQ(d.revision, "V300");
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
