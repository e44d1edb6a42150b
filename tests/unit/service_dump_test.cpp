// The dumps: the volume root and the folders tried for a DumpDir, the size
// rounding, the free space arithmetic, every way a dump file can fail to be
// made (each with its reports), the dump0/dump naming, and a stored dump
// whose read fails.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <fstream>
#include <optional>
#include <vector>

#include "dump.h"
#include "dump_folder.h"
#include "event_store.h"
#include "plat/error.h"
#include "plat/registry.h"
#include "sim/control.h"
#include "sim/disk_space.h"
#include "sim/dumps.h"
#include "sim_root.h"

namespace {

constexpr char SERVICE_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice";
constexpr std::uint64_t MIB = 0x100000;

struct record {
    std::uint32_t id;
    std::vector<std::string> strings;
    std::vector<std::uint8_t> data;
    bool operator==(const record&) const = default;
};

std::ostream& operator<<(std::ostream& out, const record& r)
{
    out << std::hex << r.id << " [";
    for (const std::string& s : r.strings) out << s << "|";
    out << "] data";
    for (const std::uint8_t b : r.data) out << ' ' << static_cast<unsigned>(b);
    return out;
}

TEST(DumpFolder, VolumeRootAndFolderSteps)
{
    const struct {
        std::string dump_dir;
        std::string root;
        std::vector<std::string> steps;
    } cases[] = {
        {"D:\\dumps\\", "D:\\", {"D:", "D:\\dumps"}},
        {"D:\\a\\\\b\\c\\", "D:\\", {"D:", "D:\\a", "D:\\a\\\\b", "D:\\a\\\\b\\c"}},
        {"E:\\x:\\y\\", "E:\\", {"E:", "E:\\x:", "E:\\x:\\y"}},
        {"\\\\server\\share\\d\\", "\\\\server\\share\\d\\", {"\\\\server", "\\\\server\\share", "\\\\server\\share\\d"}},
        {"/var/zan//dumps\\", "/var/zan//dumps\\", {"/var", "/var/zan", "/var/zan//dumps"}},
        {"dumps\\", "dumps\\", {"dumps"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zan::dump_volume_root(c.dump_dir), c.root) << c.dump_dir;
        EXPECT_EQ(zan::dump_folder_steps(c.dump_dir), c.steps) << c.dump_dir;
    }
}

TEST(Dump, StoredDumpIsReadInWholePieces)
{
    const std::pair<std::uint32_t, std::uint64_t> cases[] = {
        {0, 0}, {1, 1}, {512, 1}, {513, 2}, {1000, 2}, {0xFFFFFFFF, 0x800000}};
    for (const auto& [size, pieces] : cases) EXPECT_EQ(zan::dump_pieces(size), pieces) << size;
}

TEST(Dump, FreeSpaceBeyond4GiBDoesNotWrap)
{
    // 8 GiB free: a 32-bit product would be 0.
    const plat::disk_space big{8, 512, 0x200000};
    EXPECT_EQ(big.free_bytes(), 8ULL << 30);
    EXPECT_GE(big.free_bytes(), zan::PANIC_DUMP_BYTES);
    const plat::disk_space none{8, 512, 0};
    EXPECT_LT(none.free_bytes(), zan::PANIC_DUMP_BYTES);
}

class ServiceDump : public ::testing::Test {
protected:
    void SetUp() override { root.create("one"); }

    void set_dump_dir(std::uint32_t type, const std::string& value)
    {
        plat::reg_key key;
        ASSERT_EQ(key.create(SERVICE_KEY), plat::ERR_SUCCESS);
        ASSERT_EQ(key.set_value("DumpDir", type, value.c_str(), static_cast<std::uint32_t>(value.size() + 1)),
                  plat::ERR_SUCCESS);
    }

    // The records reported since the last call.
    std::vector<record> reported()
    {
        std::vector<plat::hosted::event_record> records;
        EXPECT_EQ(plat::hosted::read_events(root.path(), records), 0);
        std::vector<record> out;
        for (std::size_t i = seen; i < records.size(); ++i) {
            out.push_back({records[i].id, records[i].strings, records[i].data});
        }
        seen = records.size();
        return out;
    }

    std::string dumps() const { return root.path() + "/dumps"; }

    zan_test::sim_root root;
    std::size_t seen = 0;
};

TEST_F(ServiceDump, EveryFolderFailureIsReportedAndNoFileMade)
{
    const record not_created{0xA000010D, {"0"}, {}};
    const auto with_error = [](std::uint8_t code) { return record{0xA000010D, {"0"}, {code, 0, 0, 0}}; };
    const auto registry = [](const char* what, const char* text) {
        return record{0xA0000041, {std::string(what) + " zanservice", text}, {}};
    };
    // 261 characters; 245, which leaves no room for CONTno0 in a folder path.
    const std::string long_dir = root.path() + "/" + std::string(260 - root.path().size(), 'x');
    const std::string deep_dir = root.path() + "/" + std::string(244 - root.path().size(), 'x');
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::vector<record> reports;
    } cases[] = {
        {"no service key", [] {}, {registry("Open", "The system cannot find the file specified."), not_created}},
        {"no DumpDir value",
         [] {
             plat::reg_key key;
             ASSERT_EQ(key.create(SERVICE_KEY), plat::ERR_SUCCESS);
         },
         {registry("Query", "The system cannot find the file specified."), not_created}},
        {"DumpDir of the wrong type", [&] { set_dump_dir(plat::REG_TYPE_BINARY, dumps()); },
         {registry("Query", "The data is invalid."), not_created}},
        {"empty DumpDir", [&] { set_dump_dir(plat::REG_TYPE_SZ, ""); },
         {registry("Query", "The data is invalid."), not_created}},
        {"DumpDir over 260 characters", [&] { set_dump_dir(plat::REG_TYPE_SZ, long_dir); },
         {registry("Query", "More data is available."), not_created}},
        {"relative DumpDir", [&] { set_dump_dir(plat::REG_TYPE_SZ, "dumps"); }, {with_error(161)}},
        {"full volume",
         [&] {
             set_dump_dir(plat::REG_TYPE_SZ, dumps());
             ASSERT_EQ(sim::set_free_space_cap(MIB - 1), "");
         },
         {not_created}},
        {"DumpDir is a file",
         [&] {
             ASSERT_EQ(sim::set_free_space_cap(std::nullopt), "");
             std::ofstream(dumps()) << "x";
         },
         {with_error(183)}},
        {"CONTno0 is a file",
         [&] {
             std::filesystem::remove(dumps());
             std::filesystem::create_directory(dumps());
             std::ofstream(dumps() + "/CONTno0") << "x";
         },
         {with_error(183)}},
        {"dump0 is a folder, dump too",
         [&] {
             std::filesystem::remove(dumps() + "/CONTno0");
             std::filesystem::create_directories(dumps() + "/CONTno0/dump0");
             std::filesystem::create_directories(dumps() + "/CONTno0/dump");
         },
         {with_error(5)}},
        {"adapter folder path too long", [&] { set_dump_dir(plat::REG_TYPE_SZ, deep_dir); }, {with_error(206)}},
    };
    for (const auto& c : cases) {
        c.arrange();
        plat::file file;
        EXPECT_FALSE(zan::open_dump_file(0, MIB, file)) << c.what;
        EXPECT_FALSE(file.is_open()) << c.what;
        EXPECT_EQ(reported(), c.reports) << c.what;
    }
}

TEST_F(ServiceDump, FoldersAreMadeStepByStepAndTheFirstDumpIsKept)
{
    set_dump_dir(plat::REG_TYPE_SZ, dumps() + "/a\\\\b");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"dump0", "first"}, {"dump", "second"}, {"dump", "3rd"}};
    for (std::size_t i = 0; i < files.size(); ++i) {
        testing::internal::CaptureStdout();
        plat::file file;
        ASSERT_TRUE(zan::open_dump_file(1, MIB, file));
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(file.write(files[i].second.data(), files[i].second.size()));
        ASSERT_TRUE(file.close_checked());
        if (i == 0) {
            // Every folder up to DumpDir is tried and named; the adapter's
            // folder is made without a line.
            std::string expected;
            for (const std::string& step : zan::dump_folder_steps(dumps() + "/a\\\\b\\")) {
                expected += "dtmp=" + step + "\n";
            }
            EXPECT_EQ(out, expected);
        } else {
            EXPECT_EQ(out, "");
        }
        std::ifstream in(dumps() + "/a/b/CONTno1/" + files[i].first);
        std::string content;
        std::getline(in, content);
        EXPECT_EQ(content, files[i].second);
    }
    std::ifstream first(dumps() + "/a/b/CONTno1/dump0");
    std::string content;
    std::getline(first, content);
    EXPECT_EQ(content, "first");
    EXPECT_TRUE(reported().empty());
}

TEST_F(ServiceDump, DumpStatusDecidesWhatIsSaved)
{
    plat::device port; // not opened: no status below sends a request
    const zan::dump_adapter adapter{port, 1, 0};
    std::array<std::uint8_t, 276> info{};
    info[164] = 0xE8; // 1000 bytes
    info[165] = 0x03;
    for (const std::uint8_t status : {0, 2}) {
        info[171] = status;
        zan::save_stored_dump(adapter, info);
        EXPECT_TRUE(reported().empty()) << int{status};
    }
    info[171] = 7;
    zan::save_stored_dump(adapter, info);
    const std::vector<record> invalid = {{0xE0000104, {"255", "ffffffff"}, {7}}};
    EXPECT_EQ(reported(), invalid);
}

TEST_F(ServiceDump, StoredDumpReadsAreRetriedThenGivenUp)
{
    set_dump_dir(plat::REG_TYPE_SZ, dumps());
    plat::device port;
    ASSERT_TRUE(port.open("\\\\.\\Scsi2:"));
    std::array<std::uint8_t, 276> info{};
    info[164] = 0xE8; // 1000 bytes, ready
    info[165] = 0x03;
    info[171] = 1;
    const struct {
        const char* what;
        std::function<std::string()> fault;
        record report;
        std::uintmax_t file_size;
    } cases[] = {
        // One refused piece is sent again.
        {"one failure", [] { return sim::inject_status_at(2, 2, 0x8005); }, {0x6000010C, {"0"}, {0xE8, 0x03, 0, 0}},
         1024},
        // Six: the five retries are used up on the first piece.
        {"six failures", [] { return sim::inject_status(2, 0x8005, 6); }, {0xA000010E, {"0"}, {}}, 0},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sim::set_stored_dump(2, 1000, 1), "");
        ASSERT_EQ(c.fault(), "");
        testing::internal::CaptureStdout();
        zan::save_stored_dump({port, 1, 0}, info);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(reported(), std::vector<record>{c.report}) << c.what;
        EXPECT_EQ(std::filesystem::file_size(dumps() + "/CONTno0/" + (c.file_size == 1024 ? "dump0" : "dump")),
                  c.file_size)
            << c.what;
    }
}

} // namespace
