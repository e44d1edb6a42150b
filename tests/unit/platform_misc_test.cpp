// The smaller hosted facilities: error texts, files, console, module facts,
// clock and device handles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "plat/clock.h"
#include "plat/console.h"
#include "plat/device.h"
#include "plat/error.h"
#include "plat/file.h"
#include "plat/module.h"
#include "sim_root.h"

namespace {

TEST(PlatformError, MessagesAreTheWindowsTexts)
{
    EXPECT_EQ(plat::system_message(2), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(plat::system_message(183), "Cannot create a file when that file already exists.\r\n");
    EXPECT_EQ(plat::system_message(0xDEAD), "Unknown error (0xdead).\r\n");
    for (std::uint32_t code : {plat::ERR_SUCCESS, plat::ERR_INVALID_FUNCTION, plat::ERR_FILE_NOT_FOUND,
                               plat::ERR_PATH_NOT_FOUND, plat::ERR_ACCESS_DENIED, plat::ERR_INVALID_HANDLE,
                               plat::ERR_NOT_ENOUGH_MEMORY, plat::ERR_INVALID_DATA, plat::ERR_SHARING_VIOLATION,
                               plat::ERR_INVALID_PARAMETER, plat::ERR_SEM_TIMEOUT, plat::ERR_INSUFFICIENT_BUFFER,
                               plat::ERR_ALREADY_EXISTS, plat::ERR_MORE_DATA, plat::ERR_NO_MORE_ITEMS, plat::ERR_BADDB,
                               plat::ERR_BADKEY, plat::ERR_CANTREAD, plat::ERR_CANTWRITE, plat::ERR_IO_DEVICE,
                               1200u, 1223u, 288u}) {
        const std::string text = plat::system_message(code);
        EXPECT_FALSE(text.starts_with("Unknown")) << code;
        EXPECT_TRUE(text.ends_with(".\r\n")) << code;
    }
}

TEST(PlatformError, LastErrorBelongsToItsThread)
{
    plat::set_last_error(5);
    std::uint32_t seen = 1;
    std::thread([&] {
        seen = plat::last_error();
        plat::set_last_error(87);
    }).join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(plat::last_error(), 5u);
}

TEST(PlatformModule, Ids)
{
    EXPECT_EQ(plat::current_process_id(), static_cast<std::uint32_t>(::getpid()));
    std::uint32_t other = plat::current_thread_id();
    std::thread([&] { other = plat::current_thread_id(); }).join();
    EXPECT_NE(other, plat::current_thread_id());
}

TEST(PlatformClock, AgreesWithTheSystemClock)
{
    const plat::local_time now = plat::now_local();
    std::tm parts{};
    parts.tm_year = now.year - 1900;
    parts.tm_mon = now.month - 1;
    parts.tm_mday = now.day;
    parts.tm_hour = now.hour;
    parts.tm_min = now.minute;
    parts.tm_sec = now.second;
    parts.tm_isdst = -1;
    EXPECT_LE(std::abs(std::difftime(std::mktime(&parts), std::time(nullptr))), 2.0);
    EXPECT_LT(now.milliseconds, 1000);
}

class PlatformFile : public ::testing::Test {
protected:
    zan_test::sim_root root;
};

TEST_F(PlatformFile, ExclusiveAppendingLog)
{
    const std::string path = root.path() + "/debug.log";
    {
        plat::file log;
        ASSERT_TRUE(log.open_append_exclusive(path.c_str()));
        plat::file rival;
        EXPECT_FALSE(rival.open_append_exclusive(path.c_str()));
        EXPECT_EQ(plat::last_error(), plat::ERR_SHARING_VIOLATION);
        EXPECT_FALSE(rival.is_open());
        ASSERT_TRUE(log.write("first\n", 6));
    }
    plat::file log;
    ASSERT_TRUE(log.open_append_exclusive(path.c_str()));
    ASSERT_TRUE(log.write("second\n", 7));
    log.close();
    EXPECT_FALSE(log.write("x", 1));
    EXPECT_EQ(plat::last_error(), plat::ERR_INVALID_HANDLE);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "first\nsecond\n");

    EXPECT_FALSE(log.open_append_exclusive((root.path() + "/no/such/folder/x.log").c_str()));
    EXPECT_EQ(plat::last_error(), plat::ERR_PATH_NOT_FOUND);
}

// Points standard input at a pipe holding `input` for the life of the object.
class stdin_from {
public:
    explicit stdin_from(const std::string& input) : saved_(::dup(0))
    {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        EXPECT_EQ(::write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        ::close(fds[1]);
        ::dup2(fds[0], 0);
        ::close(fds[0]);
        std::clearerr(stdin);
    }
    ~stdin_from()
    {
        ::dup2(saved_, 0);
        ::close(saved_);
        std::clearerr(stdin);
    }
    stdin_from(const stdin_from&) = delete;
    stdin_from& operator=(const stdin_from&) = delete;

private:
    int saved_;
};

TEST(PlatformConsole, ReadsLinesUpToTheLimit)
{
    stdin_from input("Y\nabcdef\nnext\ntail");
    std::string line;
    ASSERT_TRUE(plat::console_read_line(line, 65535));
    EXPECT_EQ(line, "Y\n");
    ASSERT_TRUE(plat::console_read_line(line, 3));
    EXPECT_EQ(line, "abc") << "the rest of a longer line is consumed";
    ASSERT_TRUE(plat::console_read_line(line, 5));
    EXPECT_EQ(line, "next\n");
    ASSERT_TRUE(plat::console_read_line(line, 10));
    EXPECT_EQ(line, "tail");
    EXPECT_FALSE(plat::console_read_line(line, 10));
    EXPECT_EQ(line, "");
}

TEST(PlatformConsole, WritesTextAsItStands)
{
    char path[] = "/tmp/zan-console-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    std::fflush(stdout);
    const int saved = ::dup(1);
    ::dup2(fd, 1);
    plat::console_write(std::string_view("a\0b\r\n", 5));
    ::dup2(saved, 1);
    ::close(saved);
    char written[8] = {};
    EXPECT_EQ(::pread(fd, written, sizeof written, 0), 5);
    EXPECT_EQ(std::string(written, 5), std::string("a\0b\r\n", 5));
    ::close(fd);
    ::unlink(path);
}

TEST(PlatformDevice, AbsentDevicesAndClosedHandles)
{
    zan_test::sim_root root;
    plat::device port;
    EXPECT_FALSE(port.open("\\\\.\\Scsi7:"));
    EXPECT_EQ(plat::last_error(), plat::ERR_FILE_NOT_FOUND);
    EXPECT_FALSE(port.is_open());
    std::uint32_t returned = 0;
    EXPECT_FALSE(port.control(0x4D008, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(plat::last_error(), plat::ERR_INVALID_HANDLE);
    port.close();
    port.close();
    EXPECT_FALSE(port.is_open());
}

} // namespace
