// Synchronisation: named mutexes, named and unnamed auto-reset events,
// threads, timed waits and sleeping.
#ifndef PLAT_SYNC_H
#define PLAT_SYNC_H

#include <cstdint>

namespace plat {

class named_mutex {
public:
    named_mutex() = default;
    ~named_mutex();
    named_mutex(const named_mutex&) = delete;
    named_mutex& operator=(const named_mutex&) = delete;

    // CreateMutex with default security. `already_existed` is set when another
    // holder had created it (ERROR_ALREADY_EXISTS); the handle is then open but
    // not owned. On failure returns false with last_error() set.
    [[nodiscard]] bool create(const char* name, bool initial_owner, bool& already_existed);
    // ReleaseMutex; false with last_error() set when not owned.
    [[nodiscard]] bool release();
    // CloseHandle; false with last_error() set when the handle cannot be closed.
    [[nodiscard]] bool close();
    bool is_open() const;

private:
    void* handle_ = nullptr;
};

inline constexpr std::uint32_t WAIT_FOREVER = 0xFFFFFFFF;

enum class wait_result { signalled, timeout, failed };

// An auto-reset event (CreateEvent with default security, not inheritable):
// a wait that finds it signalled resets it. On the hosted build a named
// event is shared by the handles of one process.
class event {
public:
    event() = default;
    ~event();
    event(const event&) = delete;
    event& operator=(const event&) = delete;

    // `name` nullptr: an unnamed event. On failure returns false with
    // last_error() set.
    [[nodiscard]] bool create(const char* name, bool initially_signalled);
    [[nodiscard]] bool set();
    // Waits at most `timeout_ms` (WAIT_FOREVER: no limit); failed sets last_error().
    [[nodiscard]] wait_result wait(std::uint32_t timeout_ms);
    void close();
    bool is_open() const;

private:
    void* handle_ = nullptr;
};

// A thread running `run(argument)`; its handle stays until close or destruction.
class thread {
public:
    thread() = default;
    ~thread();
    thread(const thread&) = delete;
    thread& operator=(const thread&) = delete;

    // CreateThread. On failure returns false with last_error() set.
    [[nodiscard]] bool start(void (*run)(void* argument), void* argument);
    // Waits at most `timeout_ms` for the thread to end.
    [[nodiscard]] wait_result wait(std::uint32_t timeout_ms);
    // Closes the handle; a running thread runs on.
    void close();
    bool is_open() const;

private:
    void* handle_ = nullptr;
};

void sleep_ms(std::uint32_t milliseconds);

} // namespace plat

#endif
