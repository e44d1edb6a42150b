// The message table generated from messages.mc, the filling of insertion
// strings, and the hosted Event Log's store under concurrent writers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "event_store.h"
#include "message_table.h"
#include "plat/event_log.h"
#include "sim_root.h"

namespace {

std::set<std::string> insertion_numbers(const std::string& text)
{
    std::set<std::string> numbers;
    static const std::regex insert("%([0-9]+)");
    for (auto m = std::sregex_iterator(text.begin(), text.end(), insert); m != std::sregex_iterator(); ++m) {
        numbers.insert((*m)[1]);
    }
    return numbers;
}

// Every ID the programs report, as severity, customer bit, facility and code
// make it, with the highest insertion number its English text uses.
constexpr struct {
    std::uint32_t id;
    unsigned inserts;
} EXPECTED[] = {
    {0x60000010, 0}, {0x60000011, 0}, {0x60000012, 2}, {0x60000013, 4}, {0x60000014, 4}, {0x60000080, 1},
    {0x60000101, 0}, {0x6000010C, 1}, {0x60001020, 2}, {0x60001030, 2}, {0x60001067, 1}, {0x600010B0, 2},
    {0x60001100, 5}, {0x60001150, 2}, {0x60001160, 2}, {0x60001170, 2}, {0x60001180, 2}, {0x60001190, 2},
    {0x600011A0, 2}, {0x600011B0, 2}, {0x600011C0, 2}, {0x600011E0, 2}, {0x600011F0, 2}, {0x60001200, 2},
    {0x60001210, 2}, {0x60001220, 2}, {0x60001230, 2}, {0x60001240, 3}, {0x60001249, 0}, {0x60001250, 2},
    {0x60001254, 3}, {0x60001298, 2}, {0xA0000016, 0}, {0xA0000040, 2}, {0xA0000041, 2}, {0xA0000042, 0},
    {0xA000010D, 1}, {0xA000010E, 1}, {0xA0001000, 4}, {0xA0001040, 1}, {0xA0001071, 2}, {0xA0001120, 4},
    {0xA000124A, 0}, {0xA0001260, 2}, {0xA0001270, 4}, {0xA0005000, 2}, {0xA0005100, 2}, {0xE0000009, 1},
    {0xE000000B, 1}, {0xE0000015, 1}, {0xE0000043, 1}, {0xE0000104, 2}, {0xE0001010, 4}, {0xE0001050, 1},
    {0xE0001060, 1}, {0xE0001065, 1}, {0xE0001090, 4}, {0xE00010A0, 4}, {0xE0001130, 3}, {0xE0001140, 3},
    {0xE0001165, 4}, {0xE00011D0, 3}, {0xE0001244, 2}, {0xE0001292, 1}
};

TEST(ServiceMessages, EveryIdWithItsSeverityCustomerBitFacilityAndInsertions)
{
    const auto table = zan::message_table();
    ASSERT_EQ(table.size(), std::size(EXPECTED));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const zan::message_text& m = table[i];
        SCOPED_TRACE(testing::Message() << std::hex << m.id);
        EXPECT_EQ(m.id, EXPECTED[i].id);
        const std::set<std::string> english = insertion_numbers(m.english);
        std::set<std::string> expected;
        for (unsigned n = 1; n <= EXPECTED[i].inserts; ++n) expected.insert(std::to_string(n));
                EXPECT_EQ(english, expected);
        EXPECT_EQ(insertion_numbers(m.japanese), english);
        EXPECT_EQ(std::string(m.english).find_first_of("\r\n"), std::string::npos);
    }
}

TEST(ServiceMessages, TextsAreTheServicesOwnWithTheirBlanks)
{
    const struct {
        std::uint32_t id;
        const char* english;
    } samples[] = {
        {0x60000010, "zanservice was started."},
        {0x60000013, "controller %1 status of physical drive ( %2 )  changed from %3 to %4. "},
        {0xA0001000, "Controller [%1] Physical Drive [%2] Failed .Drive status = 0x[%3] Detailedcode: %4."},
        {0xE000000B, "The device,%1,did not respond within the timeout period. %1:\\Device\\ScsiPortzeandrv\\zandrv"},
        {0xE0001292, "Dump Information does not read. Detailedcode: %1."},
    };
    for (const auto& s : samples) {
        const zan::message_text* m = zan::find_message(s.id);
        ASSERT_NE(m, nullptr) << std::hex << s.id;
        EXPECT_STREQ(m->english, s.english);
    }
    EXPECT_EQ(zan::find_message(0x60000015), nullptr);
}

TEST(ServiceMessages, InsertsFillNumberedPlacesOnly)
{
    const std::vector<std::string> strings = {"0", "3", "25", "18fff325"};
    const struct {
        const char* text;
        const char* filled;
    } rows[] = {
        {"Drive [%2] = 0x[%3] Detailedcode: %4.", "Drive [3] = 0x[25] Detailedcode: 18fff325."},
        {"%1:\\%1 100%% %5 %", "0:\\0 100% %5 %"},
        {"%10 and %01", "%10 and 0"},
    };
    for (const auto& r : rows) EXPECT_EQ(zan::fill_inserts(r.text, strings), r.filled) << r.text;
}

TEST(ServiceEventLog, WritersAtOnceNumberEveryRecordOnceAndKeepStringsAndData)
{
    zan_test::sim_root root;
    root.create("one");
    constexpr int THREADS = 4;
    constexpr int EACH = 50;
    std::vector<std::thread> writers;
    for (int t = 0; t < THREADS; ++t) {
        writers.emplace_back([t] {
            for (int n = 0; n < EACH; ++n) {
                plat::event_source source;
                ASSERT_TRUE(source.register_source("zanservice"));
                const std::string mark = std::to_string(t) + "\t%\n" + std::to_string(n);
                const char* strings[] = {mark.c_str(), ""};
                const std::uint8_t data[] = {static_cast<std::uint8_t>(t), 0x00, 0xff};
                ASSERT_TRUE(source.report(plat::EVENT_WARNING, 0, 0xA0001000, strings, data));
            }
        });
    }
    for (auto& w : writers) w.join();
    std::vector<plat::hosted::event_record> records;
    ASSERT_EQ(plat::hosted::read_events(root.path(), records), 0);
    ASSERT_EQ(records.size(), std::size_t{THREADS * EACH});
    std::set<std::string> marks;
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].number, i + 1);
        ASSERT_EQ(records[i].strings.size(), 2u);
        marks.insert(records[i].strings[0]);
        EXPECT_EQ(records[i].data.size(), 3u);
        EXPECT_EQ(records[i].data[2], 0xff);
    }
    EXPECT_EQ(marks.size(), records.size());
    EXPECT_EQ(marks.count("3\t%\n49"), 1u);

    // A record cut short by a killed writer is passed over; numbering goes on.
    {
        std::ofstream torn(plat::hosted::event_log_path(root.path()), std::ios::app);
        torn << "201\t2\t0\tzanserv";
    }
    plat::hosted::event_record next;
    next.source = "zanservice";
    next.id = 0x60000010;
    ASSERT_EQ(plat::hosted::append_event(root.path(), next), 0);
    EXPECT_EQ(next.number, 201u);
    ASSERT_EQ(plat::hosted::read_events(root.path(), records), 0);
    EXPECT_EQ(records.size(), 201u);
    ASSERT_EQ(plat::hosted::clear_events(root.path()), 0);
    ASSERT_EQ(plat::hosted::append_event(root.path(), next), 0);
    EXPECT_EQ(next.number, 1u);
}

} // namespace
