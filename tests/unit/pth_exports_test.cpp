// The pass-through library's exports: the argument checks in their order,
// the operation codes the wrappers fill in or require, the texts written
// into the caller's out buffer, and the rules of its helpers (sense copy,
// RAID disk recognition, transfer buffer).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pass_device.h"
#include "plat/error.h"
#include "request_rules.h"
#include "sim_root.h"
#include "transfer_buffer.h"
#include "zandllpth.h"

namespace {

using zan::ZanPasRequest;

ZanPasRequest request_for(std::uint32_t target, std::uint8_t cdb_length = 8)
{
    ZanPasRequest r{};
    r.target[0] = static_cast<std::uint8_t>(target);
    r.cdb_length[0] = cdb_length;
    r.direction = zan::ZANPAS_DATA_IN;
    return r;
}

// Calls one export, read-type or write-type, with the arguments of a case.
struct call {
    ZanPasReadCall read = nullptr;
    ZanPasWriteCall write = nullptr;

    int operator()(ZanPasRequest* request, void* data, std::uint32_t* length, char* out, std::uint32_t* out_size) const
    {
        if (read != nullptr) return read(request, data, length, out, out_size);
        return write(request, data, length != nullptr ? *length : 0, out, out_size);
    }
};

struct export_entry {
    const char* name;
    call run;
    bool length_required;
};

const export_entry EXPORTS[] = {
    {"ZanPasAnyCommand", {.read = ZanPasAnyCommand}, false},
    {"ZanPasInquiry", {.read = ZanPasInquiry}, true},
    {"ZanPasLogSense", {.read = ZanPasLogSense}, true},
    {"ZanPasModeSense", {.read = ZanPasModeSense}, true},
    {"ZanPasReadBuffer", {.read = ZanPasReadBuffer}, true},
    {"ZanPasReadExtend", {.read = ZanPasReadExtend}, true},
    {"ZanPasReadLong", {.read = ZanPasReadLong}, true},
    {"ZanPasRequestInternalLog", {.read = ZanPasRequestInternalLog}, true},
    {"ZanPasModeSelect", {.write = ZanPasModeSelect}, true},
    {"ZanPasWriteBuffer", {.write = ZanPasWriteBuffer}, true},
    {"ZanPasWriteExtend", {.write = ZanPasWriteExtend}, true},
    {"ZanPasWriteLong", {.write = ZanPasWriteLong}, true},
};

TEST(pth_exports, every_argument_is_checked_in_order_before_anything_is_sent)
{
    for (const export_entry& e : EXPORTS) {
        SCOPED_TRACE(e.name);
        ZanPasRequest request = request_for(0);
        std::uint8_t data[16] = {};
        std::uint32_t length = sizeof data;
        std::uint32_t zero = 0;
        char out[64];
        std::uint32_t out_size = sizeof out;
        std::uint32_t no_size = 0;
        struct null_case {
            const char* what;
            ZanPasRequest* request;
            void* data;
            std::uint32_t* length;
            std::uint32_t* out_size;
            std::uint8_t reason;
        };
        const null_case cases[] = {
            {"request", nullptr, data, &length, &out_size, zan::ZANPAS_ARG_REQUEST},
            {"data", &request, nullptr, &length, &out_size, zan::ZANPAS_ARG_DATA},
            {"out size", &request, data, &length, nullptr, zan::ZANPAS_ARG_OUT_SIZE},
            {"zero out size", &request, data, &length, &no_size, zan::ZANPAS_ARG_OUT_SIZE},
            {"request before data", nullptr, nullptr, &length, nullptr, zan::ZANPAS_ARG_REQUEST},
            {"data before out size", &request, nullptr, &length, nullptr, zan::ZANPAS_ARG_DATA},
        };
        for (const null_case& c : cases) {
            std::memset(out, 0x7F, sizeof out);
            EXPECT_EQ(e.run(c.request, c.data, c.length, out, c.out_size), zan::ZANPAS_ARGUMENT) << c.what;
            EXPECT_EQ(out[0], c.reason) << c.what;
            EXPECT_EQ(out[1], 0x7F) << c.what;
        }
        // No out buffer: result 1 and nothing else touched.
        EXPECT_EQ(e.run(&request, data, &length, nullptr, &out_size), zan::ZANPAS_ARGUMENT);
        EXPECT_EQ(e.run(nullptr, nullptr, nullptr, nullptr, nullptr), zan::ZANPAS_ARGUMENT);
        // A zero length is refused by the wrappers only; the general command
        // then needs no data and goes on to the device.
        out[0] = 0x7F;
        const int zero_length = e.run(&request, nullptr, &zero, out, &out_size);
        if (e.length_required) {
            EXPECT_EQ(zero_length, zan::ZANPAS_ARGUMENT);
            EXPECT_EQ(out[0], zan::ZANPAS_ARG_LENGTH);
        } else {
            EXPECT_NE(zero_length, zan::ZANPAS_ARGUMENT);
        }
        // A missing length pointer (the read-type form only has one).
        if (e.run.read != nullptr) {
            EXPECT_EQ(e.run(&request, data, nullptr, out, &out_size), zan::ZANPAS_ARGUMENT);
            EXPECT_EQ(out[0], zan::ZANPAS_ARG_LENGTH);
        }
        // Offset 0 not zero: result 2, out untouched, nothing filled in.
        ZanPasRequest marked = request_for(0);
        marked.must_be_zero[3] = 1;
        std::memset(out, 0x7F, sizeof out);
        EXPECT_EQ(e.run(&marked, data, &length, out, &out_size), zan::ZANPAS_NOT_ZERO);
        EXPECT_EQ(out[0], 0x7F);
        EXPECT_EQ(marked.cdb[0], 0);
    }
}

TEST(pth_exports, targets_operation_codes_and_cdb_lengths_are_refused_with_reason_one)
{
    struct request_case {
        const char* name;
        call run;
        ZanPasRequest request;
        std::uint8_t cdb0;
        std::uint8_t cdb2;
    };
    const auto with_cdb = [](std::uint32_t target, std::uint8_t b0, std::uint8_t b2, std::uint8_t length = 8) {
        ZanPasRequest r = request_for(target, length);
        r.cdb[0] = b0;
        r.cdb[2] = b2;
        return r;
    };
    const request_case cases[] = {
        {"general command to target 2", {.read = ZanPasAnyCommand}, with_cdb(2, 0x12, 0), 0x12, 0},
        {"inquiry to target 2", {.read = ZanPasInquiry}, with_cdb(2, 0, 0), 0, 0},
        {"write buffer to target 1 holding read buffer", {.write = ZanPasWriteBuffer}, with_cdb(1, 0x3C, 0), 0x3C, 0},
        {"write(10) to target 0 without the wrapper", {.write = ZanPasWriteExtend}, with_cdb(0, 0x2A, 0x2A), 0x2A, 0x2A},
        {"mode select to target 0 wrapped for data in", {.write = ZanPasModeSelect}, with_cdb(0, 0xBB, 0x15), 0xBB, 0x15},
        {"write long to target 5", {.write = ZanPasWriteLong}, with_cdb(5, 0x3F, 0), 0x3F, 0},
        {"a CDB of 17 bytes", {.read = ZanPasAnyCommand}, with_cdb(1, 0x00, 0, 17), 0x00, 0},
        {"a CDB of 255 bytes", {.read = ZanPasAnyCommand}, with_cdb(0, 0xBA, 0, 255), 0xBA, 0},
    };
    for (request_case c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t data[8] = {};
        std::uint32_t length = sizeof data;
        char out[16] = {};
        std::uint32_t out_size = sizeof out;
        EXPECT_EQ(c.run(&c.request, data, &length, out, &out_size), zan::ZANPAS_ARGUMENT);
        EXPECT_EQ(out[0], zan::ZANPAS_ARG_REQUEST);
        EXPECT_EQ(c.request.cdb[0], c.cdb0);
        EXPECT_EQ(c.request.cdb[2], c.cdb2);
    }
}

TEST(pth_exports, wrappers_fill_in_their_operation_code_by_target)
{
    struct fill_case {
        ZanPasReadCall run;
        std::uint8_t code;
    };
    const fill_case cases[] = {{ZanPasInquiry, 0x12},    {ZanPasLogSense, 0x4D},   {ZanPasModeSense, 0x1A},
                               {ZanPasReadBuffer, 0x3C}, {ZanPasReadExtend, 0x28}, {ZanPasReadLong, 0x3E},
                               {ZanPasRequestInternalLog, 0xFE}};
    zan_test::sim_root root; // a machine without adapters: no RAID disk, no disk 7
    for (const fill_case& c : cases) {
        SCOPED_TRACE(int(c.code));
        ZanPasRequest wrapped = request_for(0);
        wrapped.cdb[1] = 3;
        std::uint8_t data[8];
        std::uint32_t length = sizeof data;
        char out[32];
        std::uint32_t out_size = sizeof out;
        EXPECT_EQ(c.run(&wrapped, data, &length, out, &out_size), zan::ZANPAS_OPEN_FAILED);
        EXPECT_EQ((std::vector<std::uint8_t>{wrapped.cdb[0], wrapped.cdb[1], wrapped.cdb[2]}),
                  (std::vector<std::uint8_t>{0xBB, 3, c.code}));
        EXPECT_STREQ(out, "ZanPasDevOpen,2");
        ZanPasRequest plain = request_for(1);
        plain.disk_number = 7;
        EXPECT_EQ(c.run(&plain, data, &length, out, &out_size), zan::ZANPAS_OPEN_FAILED);
        EXPECT_EQ(plain.cdb[0], c.code);
        EXPECT_STREQ(out, "ZanPasDriveOpen,2");
    }
    // Texts stop at the caller's out size.
    ZanPasRequest plain = request_for(1);
    plain.disk_number = 7;
    std::uint32_t length = 0;
    char out[8];
    std::memset(out, 'x', sizeof out);
    std::uint32_t out_size = 5;
    EXPECT_EQ(ZanPasAnyCommand(&plain, nullptr, &length, out, &out_size), zan::ZANPAS_OPEN_FAILED);
    EXPECT_EQ(std::string(out, 6), std::string("ZanP\0x", 6));
}

TEST(pth_rules, sense_copy_device_recognition_and_transfer_buffer)
{
    // Sense longer than out: out filled, out size raised to the sense length.
    std::uint8_t sense[18];
    for (std::uint8_t i = 0; i < 18; ++i) sense[i] = static_cast<std::uint8_t>(0x70 + i);
    struct sense_case {
        std::uint32_t out_size;
        std::uint32_t copied;
        std::uint32_t size_after;
    };
    for (const sense_case c : {sense_case{260, 18, 260}, {8, 8, 18}, {18, 18, 18}}) {
        std::vector<char> out(c.out_size + 1, 'x');
        std::uint32_t size = c.out_size;
        zan::pth::copy_sense(sense, sizeof sense, out.data(), size);
        EXPECT_EQ(size, c.size_after);
        EXPECT_EQ(std::memcmp(out.data(), sense, c.copied), 0);
        EXPECT_EQ(out[c.copied], 'x');
    }

    // The product identification is found through its offset, bounded by
    // what the device returned.
    const auto descriptor = [](std::uint32_t offset, const char* product, std::size_t size) {
        std::vector<std::uint8_t> d(size, 0);
        d[16] = static_cast<std::uint8_t>(offset);
        if (offset + std::strlen(product) <= size) std::memcpy(d.data() + offset, product, std::strlen(product));
        return d;
    };
    EXPECT_TRUE(zan::pth::describes_raid_disk(descriptor(40, "ZAN8SAS RAID", 64)));
    EXPECT_FALSE(zan::pth::describes_raid_disk(descriptor(40, "KS3146SAS", 64)));
    EXPECT_FALSE(zan::pth::describes_raid_disk(descriptor(0, "RAID", 64)));
    EXPECT_FALSE(zan::pth::describes_raid_disk(descriptor(64, "", 64)));
    EXPECT_FALSE(zan::pth::describes_raid_disk(descriptor(40, "RAI", 43)));
    EXPECT_FALSE(zan::pth::describes_raid_disk(std::vector<std::uint8_t>(19, 0)));

    zan::pth::transfer_buffer buffer;
    ASSERT_TRUE(buffer.allocate(70000));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.bytes().data()) % zan::pth::PAGE_SIZE, 0u);
    EXPECT_EQ(buffer.bytes().size(), 70000u);
    EXPECT_TRUE(std::all_of(buffer.bytes().begin(), buffer.bytes().end(), [](std::uint8_t b) { return b == 0; }));
    zan::pth::transfer_buffer too_big;
    EXPECT_FALSE(too_big.allocate(zan::pth::TRANSFER_LIMIT + 1));
    EXPECT_EQ(plat::last_error(), plat::ERR_NOT_ENOUGH_MEMORY);
}

} // namespace
