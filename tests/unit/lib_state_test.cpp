// Library state: the debug log and its levels and formats, the version
// query, and the per-thread error table.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim_root.h"
#include "zandllctl.h"

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t count_of(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class debug_log_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_.create("one");
        log_ = root_.path() + "/debug.log";
        ASSERT_EQ(DebugOn(log_.c_str()), 1);
    }
    void TearDown() override { EXPECT_EQ(DLLSetDebugLevel(1), 1); }

    std::string log() const { return read_file(log_); }

    zan_test::sim_root root_;
    std::string log_;
};

TEST_F(debug_log_test, banner_is_written_when_the_log_opens)
{
    const std::string text = log();
    const std::regex banner("^============== raidctl Debug log file =================\n"
                            "=====  OS date: \\d\\d/\\d\\d/\\d\\d == time: \\d\\d:\\d\\d:\\d\\d ==\n"
                            "=====  compiled date: [A-Z][a-z][a-z] [ 0-9]\\d \\d{4} =====\n"
                            "DLL version = 2\\.1\n$");
    EXPECT_TRUE(std::regex_match(text, banner)) << text;
}

TEST_F(debug_log_test, level_one_writes_errors_but_no_entry_traces)
{
    ASSERT_EQ(DLLSetDebugLevel(1), 1);
    zan::ContInfo info{};
    EXPECT_EQ(getContInfo(5, &info), 0);
    const std::string text = log();
    EXPECT_EQ(count_of(text, "\t: enter "), 0u) << text;
    const std::regex entry("\\*\\*\\*\\*\\*\\* ERROR \\*\\*\\*\\*\\*\\* OS date: \\d\\d/\\d\\d/\\d\\d \\*\\* OS time: "
                           "\\d\\d:\\d\\d:\\d\\d \\*\\*\\*\\*\\* \n"
                           "\tfuncname = getContInfo, srcfilename = raidctl\n \tline = \\d+\n"
                           "\tDLLerrcode = 0x00020010\n"
                           "\terrmsg= DLL_ARG_ERROR_CONTNO\n$");
    EXPECT_TRUE(std::regex_search(text, entry)) << text;
}

TEST_F(debug_log_test, level_three_traces_every_export_with_its_arguments)
{
    ASSERT_EQ(DLLSetDebugLevel(3), 1);
    ASSERT_EQ(initContData(0), 1);
    zan::LogicalDriveInfo ld{};
    zan::RaidStatus status{};
    (void)getLogicalDriveInfo(0, 1, &ld);
    ASSERT_EQ(getRaidStatus(0, &status), 1);
    const std::string text = log();
    const std::string stamp = "-----  OS: date \\d\\d/\\d\\d/\\d\\d -- time: \\d\\d:\\d\\d:\\d\\d ";
    EXPECT_TRUE(std::regex_search(text, std::regex("getContInfo\t: enter " + stamp + "\ngetContInfo\t: CONTno = 0\n")))
        << text;
    EXPECT_TRUE(std::regex_search(
        text, std::regex("getLogicalDriveInfo\t: enter " + stamp + "\ngetLogicalDriveInfo\t: CONTno=0 GROUPno=1\n")))
        << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("getRaidStatus\t: enter " + stamp + ", CONTno=0\n"))) << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("initContData\t: RegEnumKeyEx,ScsiKey, NO_MORE_ITEMS \n"))) << text;
    EXPECT_EQ(count_of(text, "pConfig DATA:"), 0u);
}

TEST_F(debug_log_test, level_four_dumps_the_work_record_after_each_request)
{
    EXPECT_EQ(DLLSetDebugLevel(0), 0);
    EXPECT_EQ(DLLSetDebugLevel(5), 0);
    ASSERT_EQ(DLLSetDebugLevel(0x104), 1); // the low byte: level 4
    ASSERT_EQ(initContData(0), 1);
    zan::RaidStatus status{};
    ASSERT_EQ(getRaidStatus(0, &status), 1);
    const std::string text = log();
    const std::size_t dump = text.rfind("ControlCode=a1d0e004:\npConfig DATA:\n");
    ASSERT_NE(dump, std::string::npos) << text;
    const std::string tail = text.substr(dump);
    const std::regex line("[0-9a-f]{8} : ([0-9a-f]{2} ){8} # ( . ){8}\n");
    std::size_t lines = 0;
    for (auto it = std::sregex_iterator(tail.begin(), tail.end(), line); it != std::sregex_iterator(); ++it) ++lines;
    EXPECT_EQ(lines, 67u);
    EXPECT_NE(tail.find("00000210 : "), std::string::npos);
    EXPECT_NE(tail.find("\nATAD:\n"), std::string::npos);
}

TEST_F(debug_log_test, driver_failures_name_the_code_and_status)
{
    ASSERT_EQ(initContData(0), 1);
    zan::ContInfo info{};
    ASSERT_EQ(getContInfo(0, &info), 1);
    ASSERT_EQ(sim::inject_status(info.port_number, 0x8013, 5), "");
    zan::PhysicalDriveInfo pd{};
    EXPECT_EQ(getPhysicalDriveInfo(0, 0, &pd), 0);
    const std::string text = log();
    EXPECT_NE(text.find("\terrmsg= IOCTL_KRAID_GET_HDD_INFO: IOC_STATUS_PARITY_CHK_FAILED\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\tfuncname = getPhysicalDriveInfo, srcfilename = raidctl\n"), std::string::npos);
    EXPECT_NE(text.find("\tDLLerrcode = 0x10001000\n\tcalled funcname = execIoctl\n"), std::string::npos) << text;
}

TEST(debug_log, long_paths_are_cut_to_240_characters)
{
    zan_test::sim_root root;
    // Folders keep every name short enough for the file system.
    std::string folder = root.path();
    while (folder.size() < 200) folder += "/" + std::string(40, 'd');
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + std::string(240 - folder.size() - 1, 'p');
    const std::string long_path = path + std::string(60, 'q');
    ASSERT_EQ(path.size(), 240u);
    ASSERT_EQ(DebugOn(long_path.c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(long_path));
}

TEST(debug_log, a_log_that_cannot_be_opened_is_refused)
{
    EXPECT_EQ(DebugOn("/nonexistent-folder/x/debug.log"), 0);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_SYSTEM);
    EXPECT_EQ(DebugOn(nullptr), 0);
}

TEST(version, version_string_and_its_size)
{
    int size = 0;
    ASSERT_EQ(getDLLVersionSize(&size), 1);
    EXPECT_EQ(size, 4);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(getDLLVersion(buffer, 2), 1);
    EXPECT_STREQ(buffer, "2");
    ASSERT_EQ(getDLLVersion(buffer, 3), 1);
    EXPECT_STREQ(buffer, "2.");
    ASSERT_EQ(getDLLVersion(buffer, 8), 1);
    EXPECT_STREQ(buffer, "2.1");
    EXPECT_EQ(getDLLVersion(buffer, 0), 0);
    EXPECT_EQ(getDLLVersion(nullptr, 4), 0);
}

// Holds `count` threads attached to the library until released.
class attached_threads {
public:
    explicit attached_threads(int count)
    {
        for (int i = 0; i < count; ++i) {
            threads_.emplace_back([this] {
                (void)DLLGetLastError(); // attaches the thread
                std::unique_lock lock(mutex_);
                ++attached_;
                changed_.notify_all();
                changed_.wait(lock, [this] { return released_; });
            });
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return attached_ == count; });
    }
    ~attached_threads()
    {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        for (auto& thread : threads_) thread.join();
    }

private:
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int attached_ = 0;
    bool released_ = false;
};

std::uint32_t error_seen_by_new_thread()
{
    std::uint32_t seen = 0xDEADBEEF;
    std::thread([&] {
        zan::ContInfo info{};
        (void)getContInfo(9, &info);
        seen = DLLGetLastError();
    }).join();
    return seen;
}

TEST(thread_errors, each_thread_has_its_own_error_and_only_32_are_kept)
{
    zan::ContInfo info{};
    EXPECT_EQ(getContInfo(9, &info), 0);
    EXPECT_EQ(error_seen_by_new_thread(), 0x00020010u);
    EXPECT_EQ(DLLGetLastError(), 0x00020010u); // untouched by the other thread

    {
        // This thread and 30 more hold 31 slots: one is left.
        attached_threads others(30);
        EXPECT_EQ(error_seen_by_new_thread(), 0x00020010u);
    }
    {
        // With all 32 slots in use a new thread's failures are not recorded.
        attached_threads others(31);
        EXPECT_EQ(error_seen_by_new_thread(), 0u);
    }
    // Threads that ended freed their slots.
    EXPECT_EQ(error_seen_by_new_thread(), 0x00020010u);
}

} // namespace
