// The decoding table row by row, the single-bit counters, and the walk of the
// ring (an empty start, a full ring, the wrap, a failed read resumed), and the
// clock page.
#include <gtest/gtest.h>

#include <vector>

#include "event_decoder.h"
#include "event_walk.h"
#include "monitor.h"

namespace {

using zan::event_buffer;

struct poke {
    std::size_t at;
    std::uint32_t value;
    int width = 1;
};

event_buffer entry_of(std::uint16_t event_class, std::uint16_t code, const std::vector<poke>& pokes)
{
    event_buffer e{};
    std::vector<poke> all = {{zan::EV_CLASS, event_class, 2}, {zan::EV_CODE, code, 2}};
    all.insert(all.end(), pokes.begin(), pokes.end());
    for (const poke& p : all) {
        for (int i = 0; i < p.width; ++i) e[p.at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(p.value >> (8 * i));
    }
    return e;
}

// A state change of `type` for drive or logical drive `object`.
std::vector<poke> change(std::uint16_t type, std::uint8_t object, std::uint8_t from, std::uint8_t to,
                         std::vector<poke> more = {})
{
    std::vector<poke> p = {{zan::EV_TYPE, type, 2}, {zan::EV_OBJECT, object}, {zan::EV_OLD, from}, {zan::EV_NEW, to}};
    p.insert(p.end(), more.begin(), more.end());
    return p;
}

// A background-task entry: task, logical drive, sub-state, position, then more.
std::vector<poke> task(std::uint8_t kind, std::uint8_t logical, std::uint8_t sub_state, std::uint32_t position,
                       std::vector<poke> more = {})
{
    std::vector<poke> p = {{zan::EV_TASK, kind}, {zan::EV_DETAIL_BYTE, logical}, {zan::EV_SUB_STATE, sub_state},
                           {zan::EV_POSITION, position, 4}};
    p.insert(p.end(), more.begin(), more.end());
    return p;
}

const poke IGNORE = {zan::EV_IGNORE, 1};

struct row {
    const char* what;
    std::uint16_t event_class;
    std::uint16_t code;
    std::vector<poke> pokes;
    std::uint8_t adapter;
    std::uint32_t id; // 0: no report
    std::vector<std::string> strings;
};

const std::vector<row> ROWS = {
    {"drive failed", 2, 2, change(1, 3, 0, 0x25), 0, 0xA0001000, {"0", "3", "25", "18fff325"}},
    {"drive failed, ignored", 2, 2, change(1, 3, 0, 0x25, {IGNORE}), 0, 0, {}},
    {"drive offline", 2, 2, change(1, 3, 0, 0xFF), 1, 0xE0001010, {"1", "3", "ff", "1dfff3ff"}},
    {"drive online", 2, 2, change(1, 11, 0x25, 0x10), 0, 0x60001020, {"0", "11"}},
    {"drive good", 2, 2, change(1, 2, 0x25, 0x00), 3, 0x60001030, {"3", "2"}},
    {"drive rebuilding", 2, 2, change(1, 2, 0x25, 0x01), 0, 0, {}},
    {"medium error count", 2, 2, change(2, 4, 0, 0, {{zan::EV_MEDIUM_COUNT, 17}}), 0, 0x60001254, {"0", "4", "17"}},
    {"bad spot", 2, 2, change(24, 2, 0, 6, {{zan::EV_BAD_BLOCK, 0x1234ABCD, 4}}), 0, 0xA0001270,
     {"0", "2", "1234abcd", "4cfff206"}},
    {"bad spot, other state", 2, 2, change(24, 2, 0, 5), 0, 0, {}},
    {"logical optimal to failed", 2, 2, change(72, 1, 2, 33), 0, 0xE00010A0, {"0", "1", "21", "28121fff"}},
    {"logical degraded to failed", 2, 2, change(72, 1, 17, 36), 2, 0xE00010A0, {"2", "1", "24", "2a124fff"}},
    {"logical optimal to degraded", 2, 2, change(72, 0, 0, 1), 0, 0xE0001090, {"0", "0", "1", "24001fff"}},
    {"logical degraded to optimal", 2, 2, change(72, 5, 1, 0), 0, 0x600010B0, {"0", "5"}},
    {"logical failed to optimal", 2, 2, change(72, 5, 32, 21), 0, 0x600010B0, {"0", "5"}},
    {"logical failed to degraded", 2, 2, change(72, 5, 33, 1), 0, 0, {}},
    {"logical degraded to degraded", 2, 2, change(72, 5, 16, 22), 0, 0, {}},
    {"logical optimal to optimal", 2, 2, change(72, 5, 4, 18), 0, 0, {}},
    {"logical unknown state", 2, 2, change(72, 5, 0, 7), 0, 0, {}},
    {"S.M.A.R.T.", 2, 2, change(73, 5, 0, 0x24, {{zan::EV_SMART_CODE, 0x5D}}), 1, 0xA0001120, {"1", "5", "5d", "2dfff524"}},
    {"medium errors (class 39), ignore flag not looked at", 2, 39,
     {{zan::EV_DETAIL_BYTE, 6}, {zan::EV_DETAIL_KIND, 12, 4}, IGNORE}, 0, 0x60001254, {"0", "6", "12"}},
    {"check condition", 7, 0xB0, {{zan::EV_SENSE_DRIVE, 3, 4}, {zan::EV_SENSE_KEY, 0x73}, {zan::EV_ASC, 0x11}},
     0, 0x60001100, {"0", "3", "03", "11", "00"}},
    {"firmware panic", 32, 3, {{zan::EV_DETAIL_KIND, 0x20}, {zan::EV_DETAIL_BYTE, 0xDEADBEEF, 4}}, 0, 0xE0001130,
     {"0", "deadbeef", "30deadbe"}},
    {"hardware error", 32, 3, {{zan::EV_DETAIL_KIND, 0x40}, {zan::EV_DETAIL_BYTE, 0x1130, 4}}, 1, 0xE0001140,
     {"1", "1130", "35000011"}},
    {"class 32, other kind", 32, 3, {{zan::EV_DETAIL_KIND, 0x30}}, 0, 0, {}},
    {"rebuild started", 33, 4, task(0, 1, 1, 0), 0, 0x60001150, {"0", "1"}},
    {"rebuild completed", 33, 4, task(0, 1, 1, 0xFFFFFFFF), 0, 0x60001160, {"0", "1"}},
    {"rebuild, cause 5", 33, 4, task(0, 1, 1, 0, {{zan::EV_CAUSE, 5}}), 0, 0, {}},
    {"rebuild, sub-state 0", 33, 4, task(0, 1, 0, 0), 0, 0, {}},
    {"rebuild, midway", 33, 4, task(0, 1, 1, 100), 0, 0, {}},
    {"check started", 33, 4, task(1, 2, 0, 0), 0, 0x60001170, {"0", "2"}},
    {"check at 0 finding an inconsistency", 33, 4, task(1, 2, 0, 0, {{zan::EV_CHECK_RESULT, 0x51, 2}}), 0,
     0xE00011D0, {"0", "2", "0"}},
    {"check completed", 33, 4, task(1, 2, 0, 0xFFFFFFFF), 0, 0x60001180, {"0", "2"}},
    {"check inconsistency", 33, 4, task(1, 2, 0, 0x00012345), 0, 0xE00011D0, {"0", "2", "12345"}},
    {"parity started", 33, 4, task(2, 3, 0, 0), 0, 0x60001190, {"0", "3"}},
    {"parity completed", 33, 4, task(2, 3, 0, 0xFFFFFFFF), 0, 0x600011A0, {"0", "3"}},
    {"parity midway", 33, 4, task(2, 3, 0, 7), 0, 0, {}},
    {"rebuild aborted", 33, 4, task(0xF0, 2, 0x31, 0, {{zan::EV_TASK_DRIVE, 4}, {zan::EV_CAUSE, 3}}), 2,
     0xE0001165, {"2", "2", "4", "3e233403"}},
    {"rebuild aborted, cause 5", 33, 4, task(0xF0, 2, 0x31, 0, {{zan::EV_CAUSE, 5}}), 0, 0, {}},
    {"check aborted", 33, 4, task(0xF1, 4, 0, 9), 0, 0x600011B0, {"0", "4"}},
    {"parity aborted", 33, 4, task(0xF2, 4, 0, 9), 0, 0x600011C0, {"0", "4"}},
    {"other task", 33, 4, task(3, 4, 0, 0), 0, 0, {}},
    {"task, ignored", 33, 4, task(0xF1, 4, 0, 9, {IGNORE}), 0, 0, {}},
    {"drive set good", 34, 2, change(1, 6, 0x22, 0), 0, 0x60001210, {"0", "6"}},
    {"drive set failed", 34, 2, change(1, 6, 0, 0x2F), 0, 0x60001220, {"0", "6"}},
    {"drive set other", 34, 2, change(1, 6, 0, 0x10), 0, 0, {}},
    {"logical set optimal", 34, 2, change(0x20, 1, 0x20, 0), 0, 0x60001230, {"0", "1"}},
    {"prevent copy started", 41, 9, change(0, 1, 0, 5, {{zan::EV_TARGET, 6}, IGNORE}), 0, 0x60001240, {"0", "1", "6"}},
    {"prevent copy completed", 41, 0, change(0, 1, 5, 0x15), 0, 0x60001250, {"0", "1"}},
    {"prevent copy aborted", 41, 0, change(0, 1, 5, 0x20), 0, 0xA0001260, {"0", "1"}},
    {"prevent copy 5 to 5", 41, 0, change(0, 1, 5, 5), 0, 0, {}},
    {"class 42", 42, 2, change(1, 3, 0, 0x25), 0, 0, {}},
    {"class 1", 1, 2, change(1, 3, 0, 0x25), 0, 0, {}},
};

TEST(ServiceDecoding, EveryRowOfTheTable)
{
    for (const row& r : ROWS) {
        SCOPED_TRACE(r.what);
        zan::single_bit_counters counters{};
        const event_buffer e = entry_of(r.event_class, r.code, r.pokes);
        const auto reports = zan::decode_event(e, r.adapter, counters);
        if (r.id == 0) {
            EXPECT_TRUE(reports.empty());
            continue;
        }
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].id, r.id);
        EXPECT_EQ(reports[0].strings, r.strings);
        EXPECT_EQ(reports[0].requests_panic_dump, r.id == 0xE0001130);
    }
}

TEST(ServiceDecoding, RawDataOfDriveFailureCheckConditionAndPanic)
{
    zan::single_bit_counters counters{};
    event_buffer e = entry_of(2, 2, change(1, 3, 0, 0x25));
    for (std::size_t i = 0x74; i < 0xB8; ++i) e[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0x1A0; i < 0x1E0; ++i) e[i] = static_cast<std::uint8_t>(i);
    const auto failed = zan::decode_event(e, 0, counters);
    ASSERT_EQ(failed.size(), 1u);
    ASSERT_EQ(failed[0].data.size(), 80u);
    EXPECT_EQ(std::string(failed[0].data.begin(), failed[0].data.begin() + 8), "lastsens");
    EXPECT_EQ(failed[0].data[8], 0xD0);
    EXPECT_EQ(failed[0].data[23], 0xDF);
    EXPECT_EQ(std::string(failed[0].data.begin() + 24, failed[0].data.begin() + 32), "inquiry ");
    EXPECT_EQ(failed[0].data[32], 0xA0);
    EXPECT_EQ(failed[0].data[79], 0xCF);

    event_buffer check = e;
    check[zan::EV_CLASS] = 7;
    check[zan::EV_CODE] = 0xB0;
    const auto sense = zan::decode_event(check, 0, counters);
    ASSERT_EQ(sense.size(), 1u);
    ASSERT_EQ(sense[0].data.size(), 72u);
    EXPECT_EQ(std::string(sense[0].data.begin(), sense[0].data.begin() + 8), "***cdb**");
    EXPECT_EQ(sense[0].data[8], 0x74);
    EXPECT_EQ(std::string(sense[0].data.begin() + 20, sense[0].data.begin() + 32), "******snsdt*");
    EXPECT_EQ(sense[0].data[32], 0x90);
    EXPECT_EQ(sense[0].data[71], 0xB7);

    event_buffer panic = entry_of(32, 3, {{zan::EV_DETAIL_KIND, 0x20}});
    for (std::size_t i = 0x60; i < panic.size(); ++i) panic[i] = static_cast<std::uint8_t>(i);
    const auto dump = zan::decode_event(panic, 0, counters);
    ASSERT_EQ(dump.size(), 1u);
    EXPECT_EQ(dump[0].data, std::vector<std::uint8_t>(panic.begin() + 0x40, panic.end()));
}

TEST(ServiceDecoding, SingleBitErrorsReportALocationOnceAtItsTenthError)
{
    zan::single_bit_counters counters{};
    const auto single_bit = [&](std::uint8_t flags, std::uint8_t a, std::uint8_t b) {
        const event_buffer e = entry_of(2, 2, change(71, 0, 0, 0, {{zan::EV_LOCATION_FLAGS, flags},
                                                                   {zan::EV_LOCATION_A, a},
                                                                   {zan::EV_LOCATION_B, b}}));
        std::vector<std::string> details;
        for (const auto& r : zan::decode_event(e, 1, counters)) {
            EXPECT_EQ(r.id, 0xA0001071u);
            details.push_back(r.strings.at(1));
        }
        return details;
    };
    for (int n = 1; n <= 9; ++n) EXPECT_TRUE(single_bit(1, 7, 0).empty()) << n;
    EXPECT_EQ(single_bit(1, 7, 0), std::vector<std::string>{"59000007"});
    EXPECT_TRUE(single_bit(1, 7, 0).empty());
    EXPECT_EQ(counters[7], zan::SINGLE_BIT_REPORTED);

    // Two locations in one entry are counted and judged apart, A first.
    for (int n = 1; n <= 8; ++n) static_cast<void>(single_bit(3, 20, 21));
    EXPECT_TRUE(single_bit(2, 0, 21).empty()); // 21 at 9
    EXPECT_EQ(single_bit(3, 20, 21), (std::vector<std::string>{"59000015"}));
    EXPECT_EQ(single_bit(3, 20, 21), (std::vector<std::string>{"59000014"}));
    // Flag bit 1 alone names only B; a location named twice counts twice.
    for (int n = 1; n <= 4; ++n) EXPECT_TRUE(single_bit(3, 40, 40).empty());
    EXPECT_EQ(single_bit(3, 40, 40), (std::vector<std::string>{"59000028"}));
}

// A ring of 4096 entries the walk reads through a callback that can fail.
struct fake_ring {
    std::vector<event_buffer> slots = std::vector<event_buffer>(zan::EVENT_RING_SLOTS, filled(0x11));
    std::vector<std::uint32_t> read_order;
    std::vector<std::uint32_t> decoded; // the slot number each decoded entry carries
    int fail_at = -1;

    static event_buffer filled(std::uint8_t byte)
    {
        event_buffer e;
        e.fill(byte);
        return e;
    }
    void put(std::uint32_t slot)
    {
        slots[slot] = entry_of(2, 2, {{0, slot, 4}});
    }
    std::uint32_t walk(std::int32_t& resume, std::uint32_t status_index)
    {
        read_order.clear();
        decoded.clear();
        const zan::event_walk_io io{
            [this](std::uint32_t index, event_buffer& entry) {
                read_order.push_back(index);
                if (static_cast<int>(index) == fail_at) return false;
                entry = slots[index];
                return true;
            },
            [this](zan::controller_event entry) { decoded.push_back(zan::event_u32(entry, 0)); }};
        return zan::walk_event_log(resume, status_index, io);
    }
};

TEST(ServiceWalk, EmptyStartFullRingWrapAndAFailedReadResumedNextCycle)
{
    fake_ring ring;
    std::int32_t resume = zan::RESUME_AT_STATUS_INDEX;
    EXPECT_EQ(ring.walk(resume, 100), 1u);
    EXPECT_TRUE(ring.decoded.empty());
    EXPECT_EQ(resume, zan::RESUME_AT_STATUS_INDEX);

    // Wrap at 4095: four entries from 4094 on, then the empty slot 2.
    for (const std::uint32_t slot : {4094u, 4095u, 0u, 1u}) ring.put(slot);
    EXPECT_EQ(ring.walk(resume, 4094), 5u);
    EXPECT_EQ(ring.decoded, (std::vector<std::uint32_t>{4094, 4095, 0, 1}));

    // A failed read: the next cycle starts at the failed entry, not at the status index.
    ring.fail_at = 0;
    EXPECT_EQ(ring.walk(resume, 4094), 2u);
    EXPECT_EQ(resume, 0);
    ring.fail_at = -1;
    ring.walk(resume, 4094);
    EXPECT_EQ(ring.read_order.front(), 0u);
    EXPECT_EQ(ring.decoded, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(resume, zan::RESUME_AT_STATUS_INDEX);

    // A full ring is read once around.
    for (std::uint32_t slot = 0; slot < zan::EVENT_RING_SLOTS; ++slot) ring.put(slot);
    EXPECT_EQ(ring.walk(resume, 17), zan::EVENT_RING_SLOTS);
    EXPECT_EQ(ring.decoded.front(), 17u);
    EXPECT_EQ(ring.decoded.back(), 16u);
    EXPECT_EQ(resume, zan::RESUME_AT_STATUS_INDEX);

    // Only the marked bytes make an entry empty.
    event_buffer almost = fake_ring::filled(0x11);
    almost[0x1B] = almost[0x1F] = almost[0x20] = almost[0x28] = almost[0x3F] = 0;
    EXPECT_TRUE(zan::is_empty_entry(almost));
    almost[0x1FF] = 0;
    EXPECT_FALSE(zan::is_empty_entry(almost));
}

} // namespace

namespace {

TEST(ServiceClock, ParameterListCarriesTheLocalTimeInBcd)
{
    const plat::local_time t{2009, 1, 1, 8, 5, 3, 999};
    const std::array<std::uint8_t, 28> expected = {0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                   0x02, 0x00, 0x32, 0x0E, 0x09, 0x01, 0x01, 0x00, 0x08, 0x05,
                                                   0x03, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(zan::clock_parameters(t), expected);
    const auto late = zan::clock_parameters({2099, 12, 31, 23, 59, 59, 0});
    EXPECT_EQ(std::vector<std::uint8_t>(late.begin() + 14, late.begin() + 22),
              (std::vector<std::uint8_t>{0x99, 0x12, 0x31, 0x00, 0x23, 0x59, 0x59, 0x20}));
}

} // namespace
