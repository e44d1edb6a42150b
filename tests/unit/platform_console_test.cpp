// The hosted console cursor and key test, run in child processes whose
// standard input and output are a pseudo-terminal that the test answers as a
// terminal would, or a pipe.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "plat/console.h"
#include "plat/error.h"

namespace {

// The checks a child runs end it with 0 or the number of the one that failed.
[[noreturn]] void child_checks(int fd, int (*checks)())
{
    ::dup2(fd, STDIN_FILENO);
    ::dup2(fd, STDOUT_FILENO);
    std::exit(checks());
}

struct terminal {
    int master = -1;
    int slave = -1;
    pid_t child = -1;
    std::string seen; // everything the child wrote to the terminal

    terminal()
    {
        winsize size{40, 100, 0, 0};
        if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) ADD_FAILURE() << "no pseudo-terminal";
    }
    ~terminal()
    {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }

    void start(int (*checks)())
    {
        std::fflush(nullptr);
        child = ::fork();
        if (child == 0) child_checks(slave, checks);
    }

    // Reads what the child writes until it contains `text`; false after
    // `wait_ms`.
    bool await(const std::string& text, int wait_ms = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
        while (seen.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd ready{master, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0) continue;
            char buffer[256];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0) return false;
            seen.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    void type(const std::string& text) { ASSERT_EQ(::write(master, text.data(), text.size()), static_cast<ssize_t>(text.size())); }

    int exit_code()
    {
        int status = 0;
        if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }
};

TEST(PlatformConsole, CursorIsReadAndSetThroughTheTerminal)
{
    terminal tty;
    tty.start([] {
        plat::console_cursor at{};
        if (!plat::console_get_cursor(at)) return 1;
        if (at.column != 33 || at.row != 11) return 2;
        // The key typed before the report was read with it and still counts.
        if (!plat::console_key_pressed()) return 3;
        if (!plat::console_set_cursor({4, 2})) return 4;
        if (plat::console_set_cursor({-1, 0}) || plat::last_error() != plat::ERR_INVALID_PARAMETER) return 5;
        return 0;
    });
    ASSERT_TRUE(tty.await("\x1b[6n"));
    tty.type("x\x1b[12;34R");
    ASSERT_TRUE(tty.await("\x1b[3;5H"));
    EXPECT_EQ(tty.exit_code(), 0);
}

TEST(PlatformConsole, AnUnansweredPositionRequestTimesOut)
{
    terminal tty;
    tty.start([] {
        plat::console_cursor at{};
        if (plat::console_get_cursor(at)) return 1;
        return plat::last_error() == plat::ERR_SEM_TIMEOUT ? 0 : 2;
    });
    EXPECT_EQ(tty.exit_code(), 0);
}

TEST(PlatformConsole, KeyIsSeenWithoutEchoAndLeftWaiting)
{
    terminal tty;
    tty.start([] {
        if (plat::console_key_pressed() || plat::last_error() != plat::ERR_SUCCESS) return 1;
        plat::console_write("ready");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!plat::console_key_pressed())
            if (std::chrono::steady_clock::now() > deadline) return 2;
        if (!plat::console_key_pressed()) return 3;
        char key = 0;
        if (::read(STDIN_FILENO, &key, 1) != 1 || key != 'k') return 4;
        return 0;
    });
    ASSERT_TRUE(tty.await("ready"));
    tty.type("k");
    EXPECT_EQ(tty.exit_code(), 0);
    // Not echoed, and the terminal has its line editing and echo back.
    EXPECT_FALSE(tty.await("k", 200));
    EXPECT_EQ(tty.seen, "ready");
    termios mode{};
    ASSERT_EQ(::tcgetattr(tty.slave, &mode), 0);
    EXPECT_TRUE(mode.c_lflag & ICANON);
    EXPECT_TRUE(mode.c_lflag & ECHO);
}

TEST(PlatformConsole, RedirectedStreamsFailAsWindowsDoes)
{
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        child_checks(pipe_ends[1], [] {
            plat::console_cursor at{};
            if (plat::console_get_cursor(at) || plat::last_error() != plat::ERR_INVALID_HANDLE) return 1;
            if (plat::console_set_cursor({0, 0}) || plat::last_error() != plat::ERR_INVALID_HANDLE) return 2;
            if (plat::console_key_pressed() || plat::last_error() != plat::ERR_INVALID_HANDLE) return 3;
            return 0;
        });
    }
    ::close(pipe_ends[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(pipe_ends[0]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
