// Named mutexes of the hosted build: "already exists" within a process,
// across processes and under racing creators, and ownership on release.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "plat/error.h"
#include "plat/sync.h"
#include "sim_root.h"

namespace {

constexpr std::uint32_t not_owner = 288;

class PlatformSync : public ::testing::Test {
protected:
    zan_test::sim_root root;
};

// Runs `body` in a forked child and returns its exit status.
template <typename Body>
int in_child(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(PlatformSync, SecondHandleFindsTheMutexUntilAllAreClosed)
{
    plat::named_mutex first;
    bool existed = true;
    ASSERT_TRUE(first.create("zancli", true, existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(plat::last_error(), plat::ERR_SUCCESS);

    plat::named_mutex second;
    ASSERT_TRUE(second.create("zancli", true, existed));
    EXPECT_TRUE(existed);
    EXPECT_EQ(plat::last_error(), plat::ERR_ALREADY_EXISTS);

    plat::named_mutex other_case;
    ASSERT_TRUE(other_case.create("ZANCLI", false, existed));
    EXPECT_FALSE(existed) << "object names are case-sensitive";

    EXPECT_TRUE(first.close());
    plat::named_mutex third;
    ASSERT_TRUE(third.create("zancli", false, existed));
    EXPECT_TRUE(existed) << "the second handle still holds it";
    EXPECT_TRUE(second.close());
    EXPECT_TRUE(third.close());
    ASSERT_TRUE(first.create("zancli", false, existed));
    EXPECT_FALSE(existed);

    EXPECT_FALSE(third.close());
    EXPECT_EQ(plat::last_error(), plat::ERR_INVALID_HANDLE);
}

TEST_F(PlatformSync, OnlyTheOwningThreadReleases)
{
    plat::named_mutex owner;
    bool existed = false;
    ASSERT_TRUE(owner.create("zanlogMutex00", true, existed));
    bool released_elsewhere = true;
    std::thread([&] { released_elsewhere = owner.release(); }).join();
    EXPECT_FALSE(released_elsewhere);
    EXPECT_TRUE(owner.release());
    EXPECT_FALSE(owner.release());
    EXPECT_EQ(plat::last_error(), not_owner);

    plat::named_mutex latecomer;
    ASSERT_TRUE(latecomer.create("zanlogMutex00", true, existed));
    ASSERT_TRUE(existed);
    EXPECT_FALSE(latecomer.release()) << "a handle that found the mutex does not own it";
    EXPECT_EQ(plat::last_error(), not_owner);

    plat::named_mutex unnamed_a;
    plat::named_mutex unnamed_b;
    ASSERT_TRUE(unnamed_a.create(nullptr, true, existed));
    ASSERT_TRUE(unnamed_b.create("", false, existed));
    EXPECT_FALSE(existed);
    EXPECT_TRUE(unnamed_a.release());
}

TEST_F(PlatformSync, OtherProcessesSeeTheMutexWhileItsHolderLives)
{
    plat::named_mutex held;
    bool existed = false;
    ASSERT_TRUE(held.create("ZANUtil", true, existed));
    EXPECT_EQ(in_child([] {
                  plat::named_mutex mine;
                  bool found = false;
                  return mine.create("ZANUtil", true, found) && found ? 0 : 1;
              }),
              0);
    ASSERT_TRUE(held.close());

    // A child that holds the mutex until told to stop, then exits without
    // closing it: the mutex goes with the process.
    int go[2];
    int ready[2];
    ASSERT_EQ(::pipe(go), 0);
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        plat::named_mutex mine;
        bool found = false;
        const char state = mine.create("ZANUtil", true, found) && !found ? 'y' : 'n';
        char byte = 0;
        if (::write(ready[1], &state, 1) != 1 || ::read(go[0], &byte, 1) != 1) ::_exit(2);
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    plat::named_mutex probe;
    ASSERT_TRUE(probe.create("ZANUtil", false, existed));
    EXPECT_TRUE(existed);
    ASSERT_TRUE(probe.close());
    ASSERT_EQ(::write(go[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    ASSERT_TRUE(probe.create("ZANUtil", false, existed));
    EXPECT_FALSE(existed);
    for (int fd : {go[0], go[1], ready[0], ready[1]}) ::close(fd);
}

TEST_F(PlatformSync, RacingCreatorsAgreeOnOneFirst)
{
    constexpr int racers = 8;
    std::vector<plat::named_mutex> handles(racers);
    std::atomic<int> firsts{0};
    std::atomic<int> failures{0};
    std::atomic<bool> start{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < racers; ++i) {
        threads.emplace_back([&, i] {
            while (!start) std::this_thread::yield();
            bool existed = true;
            if (!handles[i].create("Mutex", true, existed)) ++failures;
            if (!existed) ++firsts;
        });
    }
    start = true;
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(firsts, 1);
}

TEST_F(PlatformSync, NamesStayInsideTheObjectsFolder)
{
    plat::named_mutex odd;
    bool existed = true;
    ASSERT_TRUE(odd.create("../Global\\x/%y", false, existed));
    EXPECT_FALSE(existed);
    std::size_t inside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root.path() + "/objects")) {
        inside += entry.path().filename().string().starts_with("..%2FGlobal%5Cx%2F%25y.");
    }
    EXPECT_EQ(inside, 2u);
    EXPECT_FALSE(std::filesystem::exists(root.path() + "/Global"));
}

TEST(PlatformSleep, SleepsAtLeastTheTimeAsked)
{
    const auto before = std::chrono::steady_clock::now();
    plat::sleep_ms(30);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));
}

} // namespace
