// The pass-through library end to end on the simulated machine: commands to
// the drives behind the adapter go to the first disk whose product names a
// RAID, wrapped; the drive's answers, the results and the out buffer come
// back as the callers see them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../sim/engine/drive_logs.h"
#include "../../sim/engine/store.h"
#include "plat/sync.h"
#include "sim/root.h"
#include "sim_root.h"
#include "transfer_buffer.h"
#include "zandllpth.h"

namespace {

using bytes = std::vector<std::uint8_t>;
using zan::ZanPasRequest;

// A wrapped command to `drive`: the drive's own command after 0xBB or 0xBA.
ZanPasRequest wrapped(std::uint8_t drive, const bytes& command, bool data_in)
{
    ZanPasRequest r{};
    r.disk_number = 0;
    r.direction = data_in ? zan::ZANPAS_DATA_IN : zan::ZANPAS_NO_DATA;
    r.cdb[0] = data_in ? zan::ZANPAS_WRAP_DATA_IN : zan::ZANPAS_WRAP_DATA_OUT;
    r.cdb[1] = drive;
    std::copy(command.begin(), command.end(), r.cdb + 2);
    r.cdb_length[0] = static_cast<std::uint8_t>(command.size() + 2);
    return r;
}

class pth_library : public ::testing::Test {
protected:
    void SetUp() override { root_.create("drives"); }

    sim::physical_drive drive(std::uint32_t hdd)
    {
        sim::adapter a;
        EXPECT_EQ(sim::load_adapter(sim::root_dir(), 2, a), "");
        return a.drives[hdd];
    }

    zan_test::sim_root root_;
    char out_[260] = {};
    std::uint32_t out_size_ = sizeof out_;
};

TEST_F(pth_library, inquiry_log_pages_and_an_internal_log_in_pieces)
{
    bytes data(48);
    std::uint32_t length = 48;
    ZanPasRequest inquiry = wrapped(1, {0x00, 0, 0, 0, 48, 0}, true);
    ASSERT_EQ(ZanPasInquiry(&inquiry, data.data(), &length, out_, &out_size_), zan::ZANPAS_OK) << out_;
    EXPECT_EQ(length, 48u);
    EXPECT_EQ(std::string(data.begin() + 8, data.end()), "VELMORA VMA3073RC       V201VM1234567890");

    bytes page(4096);
    length = 4096;
    ZanPasRequest supported = wrapped(1, {0x00, 1, 0x00, 0, 0, 0, 0, 0x10, 0x00, 0}, true);
    ASSERT_EQ(ZanPasLogSense(&supported, page.data(), &length, out_, &out_size_), zan::ZANPAS_OK) << out_;
    page.resize(length);
    EXPECT_EQ(page, *sim::log_page(drive(1), 1, sim::PAGE_SUPPORTED, 0));

    // The tool's way: the 4-byte header for the length, then pieces of at
    // most 65536 bytes at the sum of the earlier ones.
    bytes header(4);
    length = 4;
    ZanPasRequest first = wrapped(1, {0x00, 2, 0, 0, 0, 0, 0, 0, 4, 0}, true);
    ASSERT_EQ(ZanPasRequestInternalLog(&first, header.data(), &length, out_, &out_size_), zan::ZANPAS_OK) << out_;
    const std::uint32_t total = 4 + ((header[1] << 16) | (header[2] << 8) | header[3]);
    EXPECT_EQ(total, 70004u);
    bytes log;
    for (std::uint32_t offset = 0; offset < total;) {
        const std::uint32_t piece = std::min<std::uint32_t>(65536, total - offset);
        bytes part(piece);
        length = piece;
        ZanPasRequest r = wrapped(1,
                                  {0x00, 2, 0, static_cast<std::uint8_t>(offset >> 16),
                                   static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                                   static_cast<std::uint8_t>(piece >> 16), static_cast<std::uint8_t>(piece >> 8),
                                   static_cast<std::uint8_t>(piece), 0},
                                  true);
        ASSERT_EQ(ZanPasRequestInternalLog(&r, part.data(), &length, out_, &out_size_), zan::ZANPAS_OK) << out_;
        ASSERT_EQ(length, piece);
        log.insert(log.end(), part.begin(), part.end());
        offset += piece;
    }
    EXPECT_EQ(log, sim::internal_log(drive(1), 1, sim::LOG_DRIVE_INTERNAL));
}

TEST_F(pth_library, statuses_sense_and_failures_reach_the_caller)
{
    // Without data any status is a completed command, kept in byte 32.
    ZanPasRequest ready = wrapped(2, {0x00, 0, 0, 0, 0, 0}, false);
    std::uint32_t none = 0;
    EXPECT_EQ(ZanPasAnyCommand(&ready, nullptr, &none, out_, &out_size_), zan::ZANPAS_OK);
    EXPECT_EQ(ready.scsi_status, 2);

    // With data, CHECK CONDITION is result 4 with the sense in out; a short
    // out takes what fits and learns the sense length.
    bytes page(64);
    std::uint32_t length = 64;
    char small[8];
    std::uint32_t small_size = sizeof small;
    ZanPasRequest unknown = wrapped(1, {0x00, 0, 0x3E, 0, 0, 0, 0, 0, 64, 0}, true);
    EXPECT_EQ(ZanPasLogSense(&unknown, page.data(), &length, small, &small_size), zan::ZANPAS_SCSI_STATUS);
    EXPECT_EQ(unknown.scsi_status, 2);
    EXPECT_EQ(small_size, 18u);
    EXPECT_EQ(static_cast<std::uint8_t>(small[0]), 0x70);
    EXPECT_EQ(small[2], 0x05);
    EXPECT_EQ(ZanPasLogSense(&unknown, page.data(), &length, out_, &out_size_), zan::ZANPAS_SCSI_STATUS);
    EXPECT_EQ(out_size_, sizeof out_);
    EXPECT_EQ(out_[12], 0x24);

    struct failure_case {
        const char* name;
        std::uint32_t length;
        std::uint8_t cdb_length;
        int result;
        const char* text;
    };
    const failure_case failures[] = {
        {"no CDB", 4, 0, zan::ZANPAS_IO_FAILED, "87"},
        {"more than the port carries", 0x200001, 12, zan::ZANPAS_IO_FAILED, "87"},
        {"more than any buffer", zan::pth::TRANSFER_LIMIT + 1, 12, zan::ZANPAS_NO_MEMORY, "8"},
    };
    for (const failure_case& f : failures) {
        SCOPED_TRACE(f.name);
        bytes data(std::min<std::uint32_t>(f.length, 0x200001));
        std::uint32_t size = f.length;
        ZanPasRequest r = wrapped(1, {0x00, 1, 0, 0, 0, 0, 0, 0, 4, 0}, true);
        r.cdb_length[0] = f.cdb_length;
        out_size_ = sizeof out_;
        EXPECT_EQ(ZanPasAnyCommand(&r, data.data(), &size, out_, &out_size_), f.result);
        EXPECT_STREQ(out_, f.text);
    }

    // Another pass-through in progress: result 6 at once, out untouched.
    plat::named_mutex held;
    bool existed = true;
    ASSERT_TRUE(held.create("Mutex", true, existed));
    ASSERT_FALSE(existed);
    std::memset(out_, 'x', sizeof out_);
    EXPECT_EQ(ZanPasAnyCommand(&ready, nullptr, &none, out_, &out_size_), zan::ZANPAS_BUSY);
    EXPECT_EQ(out_[0], 'x');
    ASSERT_TRUE(held.release());
    ASSERT_TRUE(held.close());
    EXPECT_EQ(ZanPasAnyCommand(&ready, nullptr, &none, out_, &out_size_), zan::ZANPAS_OK);
}

} // namespace
