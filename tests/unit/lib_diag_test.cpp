// Diagnostic data exports: argument checks, the block arithmetic of the log,
// NVRAM and READ BUFFER reads, and the CDBs and parameter lists they send.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "lib_request_log.h"
#include "zanioctl.h"

namespace {

using zan_test::bytes;

const char* const SCENARIO = R"(
[adapter 2]
controller_id = 1
[drive 0]
[drive 1]
smart = received
)";

class diag_exports : public zan_test::library_on_sim {
protected:
    void SetUp() override { start(SCENARIO); }

    // The first `n` CDB bytes of each logged request of `code`.
    std::vector<bytes> cdbs(std::uint32_t code, std::size_t n = 10) const
    {
        std::vector<bytes> out;
        for (const bytes& r : sent(code)) {
            out.emplace_back(r.begin() + zan::SCSI_REQUEST_CDB,
                             r.begin() + static_cast<std::ptrdiff_t>(zan::SCSI_REQUEST_CDB + n));
        }
        return out;
    }

    std::uint8_t buffer_[8192];
    std::uint8_t completion_[4];
    std::uint32_t returned_ = 0;
};

struct refused_call {
    const char* what;
    std::function<zan::BOOL32()> call;
    std::uint32_t error;
};

TEST_F(diag_exports, argument_checks_refuse_before_any_request)
{
    std::uint8_t* b = buffer_;
    std::uint8_t* c = completion_;
    std::uint32_t* r = &returned_;
    std::uint8_t page[245] = {};
    const std::vector<refused_call> calls = {
        {"getLOGinfo controller 4", [&] { return getLOGinfo(4, b, 0, 512, r); }, 0x00020010},
        {"getLOGinfo index 4096", [&] { return getLOGinfo(0, nullptr, 4096, 512, nullptr); }, 0x01000010},
        {"getLOGinfo null buffer", [&] { return getLOGinfo(0, nullptr, 0, 512, r); }, 0x00100010},
        {"getLOGinfo null count", [&] { return getLOGinfo(0, b, 0, 512, nullptr); }, 0x00100010},
        {"getNVRAMdata null", [&] { return getNVRAMdata(0, nullptr); }, 0x00100010},
        {"getSMARTInfo empty slot", [&] { return getSMARTInfo(1, 0, b); }, 0x00010010},
        {"getSMARTThreshold drive 12", [&] { return getSMARTThreshold(0, 12, b); }, 0x00400010},
        {"getSMARTsts null and drive 12", [&] { return getSMARTsts(0, 12, nullptr); }, 0x00100010},
        {"getSMARTsts drive 12", [&] { return getSMARTsts(0, 12, b); }, 0x00400010},
        {"ModeSense null buffer", [&] { return ModeSense(0, 8, 20, nullptr, c); }, 0x00100010},
        {"ModeSense null triple", [&] { return ModeSense(0, 8, 20, b, nullptr); }, 0x00100010},
        {"ModeSelect null page", [&] { return ModeSelect(0, 8, nullptr, c); }, 0x00100010},
        {"ModeSelect null triple", [&] { return ModeSelect(0, 8, page, nullptr); }, 0x00100010},
        {"ModeSelect 245 bytes", [&] { return ModeSelect(0, 245, page, c); }, 0x04000010},
        // The parameter list length is one CDB byte: 244 + 12 would not fit.
        {"ModeSelect 244 bytes", [&] { return ModeSelect(0, 244, page, c); }, 0x04000010},
        {"ReadBuffer null buffer", [&] { return ReadBuffer(0, 1, 0xA0, 1, 0, nullptr, c); }, 0x00100010},
        {"ReadBuffer null triple", [&] { return ReadBuffer(0, 1, 0xA0, 1, 0, b, nullptr); }, 0x00100010},
        {"ReadBuffer 257 blocks", [&] { return ReadBuffer(0, 1, 0xA0, 257, 0, b, c); }, 0x04000010},
        {"ReadBuffer past block 255", [&] { return ReadBuffer(0, 1, 0xA0, 7, 250, b, c); }, 0x04000010},
        {"ReadBuffer offset wraps", [&] { return ReadBuffer(0, 1, 0xA0, 2, 0xFFFFFFFF, b, c); }, 0x04000010},
    };
    const std::uint64_t before = requests();
    for (const refused_call& call : calls) {
        EXPECT_EQ(call.call(), 0) << call.what;
        EXPECT_EQ(DLLGetLastError(), call.error) << call.what;
    }
    EXPECT_EQ(requests(), before);
}

TEST_F(diag_exports, log_reads_whole_blocks_up_to_the_last_one)
{
    struct case_ {
        std::uint32_t index, size, blocks;
    };
    const case_ cases[] = {{4095, 4096, 1}, {0, 1000, 1}, {4094, 2048, 2}, {10, 511, 0}, {7, 1536, 3}};
    std::size_t logged = 0;
    for (const case_& c : cases) {
        std::memset(buffer_, 0xAA, sizeof buffer_);
        returned_ = 12345;
        EXPECT_EQ(getLOGinfo(0, buffer_, c.index, c.size, &returned_), 1) << c.index << "/" << c.size;
        EXPECT_EQ(returned_, c.blocks * 512) << c.index << "/" << c.size;
        EXPECT_EQ(buffer_[c.blocks * 512], 0xAA) << "nothing past the blocks read is touched";
        const auto sent_cdbs = cdbs(zan::IOCTL_KRAID_SCSI_READ_BUFFER);
        ASSERT_EQ(sent_cdbs.size(), logged + c.blocks);
        for (std::uint32_t i = 0; i < c.blocks; ++i) {
            const std::uint32_t offset = (c.index + i) * 512;
            EXPECT_EQ(sent_cdbs[logged + i],
                      (bytes{0x3C, 0x01, 0xA6, static_cast<std::uint8_t>(offset >> 16),
                             static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset), 0, 2, 0, 0}));
        }
        logged += c.blocks;
    }
}

TEST_F(diag_exports, a_failing_log_block_ends_the_read)
{
    const std::uint64_t before = requests();
    ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 1), "");
    EXPECT_EQ(getLOGinfo(0, buffer_, 0, 3 * 512, &returned_), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
    EXPECT_EQ(returned_, 0u);
    EXPECT_EQ(requests() - before, 1u);
}

TEST_F(diag_exports, nvram_is_read_in_sixteen_blocks_in_order)
{
    (void)getNVRAMdata(0, buffer_);
    const auto sent_cdbs = cdbs(zan::IOCTL_KRAID_SCSI_READ_BUFFER);
    ASSERT_EQ(sent_cdbs.size(), 16u);
    for (std::uint32_t i = 0; i < 16; ++i) {
        const std::uint32_t offset = i * 512;
        EXPECT_EQ(sent_cdbs[i], (bytes{0x3C, 0x02, 0x08, 0, static_cast<std::uint8_t>(offset >> 8), 0, 0, 2, 0, 0}));
    }
}

TEST_F(diag_exports, smart_requests_name_the_drive_and_the_kind)
{
    std::uint8_t status = 0xAA;
    (void)getSMARTInfo(0, 1, buffer_);
    (void)getSMARTThreshold(0x100, 0x101, buffer_);
    (void)getSMARTsts(0, 1, &status);
    const auto sent_cdbs = cdbs(zan::IOCTL_KRAID_SCSI_READ_BUFFER);
    ASSERT_EQ(sent_cdbs.size(), 3u);
    EXPECT_EQ(sent_cdbs[0], (bytes{0x20, 1, 1, 0, 0, 1, 0, 2, 0, 0}));
    EXPECT_EQ(sent_cdbs[1], (bytes{0x20, 1, 2, 0, 0, 1, 0, 2, 0, 0}));
    EXPECT_EQ(sent_cdbs[2], (bytes{0x20, 1, 3, 0, 0, 1, 0, 0, 1, 0}));
}

TEST_F(diag_exports, mode_sense_asks_for_current_values_of_the_page)
{
    (void)ModeSense(0, 0x7F, 0x1FF, buffer_, completion_);
    const auto sent_cdbs = cdbs(zan::IOCTL_KRAID_SCSI_MODE_SENSE, 6);
    ASSERT_FALSE(sent_cdbs.empty());
    EXPECT_EQ(sent_cdbs.back(), (bytes{0x1A, 0x08, 0x3F, 0, 0xFF, 0}));
}

TEST_F(diag_exports, mode_select_sends_header_block_descriptor_and_page)
{
    std::uint8_t page[243];
    for (std::size_t i = 0; i < sizeof page; ++i) page[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(sim::inject_status(PORT, zan::IOC_STATUS_FAILURE, 1), "");
    EXPECT_EQ(ModeSelect(0, 243, page, completion_), 0);
    EXPECT_EQ(DLLGetLastError(), 0x10002000u);
    const auto records = sent(zan::IOCTL_KRAID_SCSI_MODE_SELECT);
    ASSERT_EQ(records.size(), 1u);
    const bytes& r = records[0];
    EXPECT_EQ(bytes(r.begin() + 6, r.begin() + 12), (bytes{0x15, 0x11, 0, 0, 255, 0}));
    EXPECT_EQ(bytes(r.begin() + 22, r.begin() + 34), (bytes{0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(bytes(r.begin() + 34, r.begin() + 277), bytes(page, page + 243));
    EXPECT_EQ(r[277], 0);
}

TEST_F(diag_exports, read_buffer_reads_blocks_until_the_adapter_refuses_one)
{
    // The adapter's parameter buffer (mode 1, id 0xA0) is one block long.
    zan::ContPara para{};
    ASSERT_EQ(getContPara(0, &para), 1);
    std::memset(buffer_, 0xAA, sizeof buffer_);
    std::memset(completion_, 0xAA, sizeof completion_);
    const std::uint64_t before = requests();
    ASSERT_EQ(ReadBuffer(0, 1, 0xA0, 3, 0, buffer_, completion_), 1);
    EXPECT_EQ(requests() - before, 2u) << "the refused second block ends the read";
    EXPECT_EQ(std::memcmp(buffer_, &para, sizeof para), 0);
    EXPECT_EQ(buffer_[3 * 512 - 1], 0) << "the caller's blocks are cleared";
    EXPECT_EQ(buffer_[3 * 512], 0xAA);
    EXPECT_NE(completion_[0], 0);
    EXPECT_EQ(completion_[3], 0);

    const auto sent_cdbs = cdbs(zan::IOCTL_KRAID_SCSI_READ_BUFFER);
    ASSERT_GE(sent_cdbs.size(), 2u);
    EXPECT_EQ(sent_cdbs[sent_cdbs.size() - 1], (bytes{0x3C, 1, 0xA0, 0, 2, 0, 0, 2, 0, 0}));

    // The last blocks of the range, and no block at all.
    (void)ReadBuffer(0, 0x0A, 0x55, 1, 255, buffer_, completion_);
    EXPECT_EQ(cdbs(zan::IOCTL_KRAID_SCSI_READ_BUFFER).back(), (bytes{0x3C, 0x0A, 0x55, 0x01, 0xFE, 0, 0, 2, 0, 0}));
    std::memset(completion_, 0xAA, sizeof completion_);
    const std::uint64_t before_empty = requests();
    EXPECT_EQ(ReadBuffer(0, 1, 0xA0, 0, 256, buffer_, completion_), 1);
    EXPECT_EQ(requests(), before_empty);
    EXPECT_EQ(completion_[0], 0);
}

TEST_F(diag_exports, trace_lines_name_the_arguments)
{
    ASSERT_EQ(DLLSetDebugLevel(3), 1);
    (void)getLOGinfo(0, buffer_, 4095, 0, &returned_);
    (void)ReadBuffer(0, 1, 0xA0, 0x10, 3, nullptr, completion_);
    (void)getSMARTsts(0, 1, nullptr);
    (void)ModeSense(0, 1, 1, nullptr, completion_);
    const std::string text = log_text();
    EXPECT_NE(text.find("getLOGinfo\t: CONTno = 0, index=4095\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ReadBuffer\t: CONTno = 0, BufferID=0xa0, BufferSize=0x10, Offset=3\n"), std::string::npos);
    EXPECT_NE(text.find("getSMARTsts\t: CONTno = 0, HDDno=1\n"), std::string::npos);
    EXPECT_NE(text.find("ModeSense\t: CONTno = 0 \n"), std::string::npos);
}

} // namespace

// ---- What the adapter answers ------------------------------------------------

TEST_F(diag_exports, log_nvram_and_smart_data_reach_the_caller)
{
    // Event-log slots never written read as 0x11 bytes.
    std::memset(buffer_, 0, sizeof buffer_);
    ASSERT_EQ(getLOGinfo(0, buffer_, 4000, 1024, &returned_), 1);
    EXPECT_EQ(returned_, 1024u);
    EXPECT_EQ(std::count(buffer_, buffer_ + 1024, 0x11), 1024);

    ASSERT_EQ(getNVRAMdata(0, buffer_), 1);
    EXPECT_EQ(std::memcmp(buffer_, "ZANNVRAM", 8), 0);

    std::uint8_t status = 0xAA;
    ASSERT_EQ(getSMARTsts(0, 1, &status), 1);
    EXPECT_EQ(status, 1) << "drive 1 crossed its threshold";
    ASSERT_EQ(getSMARTsts(0, 0, &status), 1);
    EXPECT_EQ(status, 0);
}

TEST_F(diag_exports, a_page_selected_is_sensed_back)
{
    // Caching page, block descriptors disabled: 4-byte header, then the page.
    std::uint8_t sensed[64] = {};
    ASSERT_EQ(ModeSense(0, 0x08, 24, sensed, completion_), 1);
    ASSERT_EQ(completion_[0], 0);
    ASSERT_EQ(sensed[4] & 0x3F, 0x08);
    const std::size_t page_length = sensed[5] + 2u;
    ASSERT_EQ(page_length, 20u);

    std::uint8_t page[20];
    std::memcpy(page, sensed + 4, sizeof page);
    page[0] &= 0x3F; // the page-save bit is not sent back
    page[2] ^= 0x04; // write cache enable
    ASSERT_EQ(ModeSelect(0, sizeof page, page, completion_), 1);
    EXPECT_EQ(completion_[0], 0);
    EXPECT_EQ(completion_[3], 0);

    std::uint8_t again[64] = {};
    ASSERT_EQ(ModeSense(0, 0x08, 24, again, completion_), 1);
    EXPECT_EQ(again[6], page[2]);

    // A page the adapter does not keep is refused in the triple, not as a failure.
    const std::uint8_t unknown[] = {0x2F, 0x02, 0x00, 0x00};
    ASSERT_EQ(ModeSelect(0, sizeof unknown, unknown, completion_), 1);
    EXPECT_EQ(completion_[0], 0x02);
}

// A fault at each request of a three-block log read: the read fails with that
// fault's error and counts only the blocks before it; once the fault lies past
// the read, the read is whole. Busy runs cost 350 pauses each, so they are
// placed at the middle block only.
TEST_F(diag_exports, a_fault_at_any_block_of_the_log_read_ends_it_with_its_error)
{
    struct fault_kind {
        const char* what;
        std::function<std::string(std::uint64_t)> arm;
        std::uint32_t error;
        std::uint64_t first = 1;
        std::uint64_t last = 4;
    };
    const fault_kind kinds[] = {
        {"failure status", [](std::uint64_t n) { return sim::inject_status_at(PORT, n, zan::IOC_STATUS_FAILURE); },
         0x10002000u},
        {"busy past the limit", [](std::uint64_t n) { return sim::inject_busy_at(PORT, n, 351); }, 0x10008000u, 2, 2},
        {"no answer", [](std::uint64_t n) { return sim::inject_silence_at(PORT, n); }, 0x10000200u},
    };
    constexpr std::uint32_t BLOCKS = 3;
    for (const fault_kind& kind : kinds) {
        for (std::uint64_t n = kind.first; n <= kind.last; ++n) {
            SCOPED_TRACE(std::string(kind.what) + " at request " + std::to_string(n));
            ASSERT_EQ(kind.arm(n), "");
            returned_ = 0xFFFFFFFF;
            const zan::BOOL32 done = getLOGinfo(0, buffer_, 0, BLOCKS * 512, &returned_);
            if (n > BLOCKS) {
                EXPECT_EQ(done, 1);
                EXPECT_EQ(returned_, BLOCKS * 512);
                ASSERT_EQ(sim::clear_faults(PORT), "");
            } else {
                EXPECT_EQ(done, 0);
                EXPECT_EQ(DLLGetLastError(), kind.error);
                EXPECT_EQ(returned_, (n - 1) * 512);
            }
        }
    }
}
