// Synchronisation: named mutexes and sleeping.
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

void sleep_ms(std::uint32_t milliseconds);

} // namespace plat

#endif
