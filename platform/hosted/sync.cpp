// Named mutexes of the hosted build, shared by every process of the machine.
//
// A handle of the mutex "N" holds a shared flock on <root>/objects/N.lock for
// as long as it is open, so the mutex exists exactly while some handle holds
// that lock, and the lock goes away with the process that held it. A creator
// learns whether others hold it by trying for the lock exclusively; the test
// and the switch to the shared lock happen under N.guard, so two creators
// cannot both see an unheld mutex.
#include "plat/sync.h"

#include "plat/error.h"
#include "plat/module.h"
#include "posix_io.h"
#include "sim/root.h"
#include "timed_wait.h"
#include "win_error.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <system_error>
#include <thread>

namespace plat {

namespace {

struct mutex_state {
    hosted::unique_fd held; // not valid for an unnamed mutex
    std::uint32_t owner_thread = 0;
    std::uint32_t recursion = 0;
};

// Object names are case-sensitive and may hold any character; characters that
// cannot stand in a file name are written as %XX.
bool object_file_stem(const char* name, std::string& stem)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    stem.clear();
    for (const char* p = name; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c >= 0x7F || c == '/' || c == '\\' || c == '%') {
            stem += '%';
            stem += hex[c >> 4];
            stem += hex[c & 0xF];
        } else {
            stem += static_cast<char>(c);
        }
    }
    // Room for the longest suffix within a file name.
    return stem.size() + sizeof ".guard" <= NAME_MAX;
}

std::uint32_t hold_named_object(const char* name, hosted::unique_fd& held, bool& already_existed)
{
    std::string stem;
    if (!object_file_stem(name, stem)) return hosted::ERR_FILENAME_EXCED_RANGE;
    const std::string folder = sim::root_dir() + "/objects/";
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) return hosted::error_from_errno(made.value());

    hosted::unique_fd guard(::open((folder + stem + ".guard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!guard.valid()) return hosted::error_from_errno(errno);
    if (const int error = hosted::lock_file(guard.get(), LOCK_EX); error != 0) return hosted::error_from_errno(error);

    hosted::unique_fd lock(::open((folder + stem + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock.valid()) return hosted::error_from_errno(errno);
    const int probe = hosted::lock_file(lock.get(), LOCK_EX | LOCK_NB);
    if (probe != 0 && probe != EWOULDBLOCK) return hosted::error_from_errno(probe);
    already_existed = probe == EWOULDBLOCK;
    if (const int error = hosted::lock_file(lock.get(), LOCK_SH | LOCK_NB); error != 0) {
        return hosted::error_from_errno(error);
    }
    held = std::move(lock);
    return ERR_SUCCESS;
}

} // namespace

named_mutex::~named_mutex()
{
    if (handle_ != nullptr) static_cast<void>(close());
}

bool named_mutex::create(const char* name, bool initial_owner, bool& already_existed)
{
    already_existed = false;
    if (handle_ != nullptr) static_cast<void>(close());
    auto* state = new (std::nothrow) mutex_state;
    if (state == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    // Without a name the mutex is private to this handle.
    if (name != nullptr && *name != '\0') {
        if (const std::uint32_t code = hold_named_object(name, state->held, already_existed); code != ERR_SUCCESS) {
            delete state;
            set_last_error(code);
            return false;
        }
    }
    if (initial_owner && !already_existed) {
        state->owner_thread = current_thread_id();
        state->recursion = 1;
    }
    handle_ = state;
    set_last_error(already_existed ? ERR_ALREADY_EXISTS : ERR_SUCCESS);
    return true;
}

bool named_mutex::release()
{
    auto* state = static_cast<mutex_state*>(handle_);
    if (state == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (state->recursion == 0 || state->owner_thread != current_thread_id()) {
        set_last_error(hosted::ERR_NOT_OWNER);
        return false;
    }
    if (--state->recursion == 0) state->owner_thread = 0;
    return true;
}

bool named_mutex::close()
{
    auto* state = static_cast<mutex_state*>(handle_);
    if (state == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    handle_ = nullptr;
    const int error = state->held.close_checked();
    delete state;
    if (error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    return true;
}

bool named_mutex::is_open() const
{
    return handle_ != nullptr;
}

void sleep_ms(std::uint32_t milliseconds)
{
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace plat

// Events and threads: each waitable object is an eventfd, waited on through
// wait_readable, so that time limits follow the simulated clock when it is
// stopped and no wait spins.
namespace plat {

namespace {

struct event_state {
    hosted::unique_fd fd;
    std::string name;
};

// Named events of this process, by name; an entry lives while a handle holds it.
std::mutex named_events_mutex;
std::map<std::string, std::weak_ptr<event_state>> named_events;

std::shared_ptr<event_state> new_event_state()
{
    auto state = std::make_shared<event_state>();
    state->fd = hosted::unique_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!state->fd.valid()) return nullptr;
    return state;
}

wait_result wait_result_of(hosted::readable r)
{
    switch (r) {
    case hosted::readable::yes: return wait_result::signalled;
    case hosted::readable::timeout: return wait_result::timeout;
    case hosted::readable::failed: break;
    }
    hosted::set_last_error_from_errno();
    return wait_result::failed;
}

struct thread_state {
    hosted::unique_fd ended; // readable once the thread has ended
    void (*run)(void*) = nullptr;
    void* argument = nullptr;
};

} // namespace

event::~event()
{
    close();
}

bool event::create(const char* name, bool initially_signalled)
{
    close();
    std::shared_ptr<event_state> state;
    bool existed = false;
    if (name != nullptr && *name != '\0') {
        const std::lock_guard<std::mutex> guard(named_events_mutex);
        state = named_events[name].lock();
        existed = state != nullptr;
        if (!existed) {
            state = new_event_state();
            if (state != nullptr) named_events[name] = state;
        }
    } else {
        state = new_event_state();
    }
    if (state == nullptr) {
        hosted::set_last_error_from_errno();
        return false;
    }
    handle_ = new std::shared_ptr<event_state>(std::move(state));
    if (initially_signalled && !existed && !set()) return false;
    set_last_error(existed ? ERR_ALREADY_EXISTS : ERR_SUCCESS);
    return true;
}

bool event::set()
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    const std::uint64_t one = 1;
    if (::write((*static_cast<std::shared_ptr<event_state>*>(handle_))->fd.get(), &one, sizeof one) < 0) {
        hosted::set_last_error_from_errno();
        return false;
    }
    return true;
}

wait_result event::wait(std::uint32_t timeout_ms)
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return wait_result::failed;
    }
    const int fd = (*static_cast<std::shared_ptr<event_state>*>(handle_))->fd.get();
    for (;;) {
        const wait_result r = wait_result_of(hosted::wait_readable(fd, timeout_ms));
        if (r != wait_result::signalled) return r;
        // The read resets the event; a waiter that lost the race waits on.
        std::uint64_t count = 0;
        if (::read(fd, &count, sizeof count) == sizeof count) return wait_result::signalled;
        if (errno != EAGAIN) {
            hosted::set_last_error_from_errno();
            return wait_result::failed;
        }
    }
}

void event::close()
{
    delete static_cast<std::shared_ptr<event_state>*>(handle_);
    handle_ = nullptr;
}

bool event::is_open() const
{
    return handle_ != nullptr;
}

thread::~thread()
{
    close();
}

bool thread::start(void (*run)(void* argument), void* argument)
{
    close();
    auto state = std::make_shared<thread_state>();
    state->ended = hosted::unique_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!state->ended.valid()) {
        hosted::set_last_error_from_errno();
        return false;
    }
    state->run = run;
    state->argument = argument;
    try {
        std::thread([state] {
            state->run(state->argument);
            const std::uint64_t one = 1;
            static_cast<void>(::write(state->ended.get(), &one, sizeof one));
        }).detach();
    } catch (const std::system_error&) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    handle_ = new std::shared_ptr<thread_state>(std::move(state));
    return true;
}

wait_result thread::wait(std::uint32_t timeout_ms)
{
    if (handle_ == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return wait_result::failed;
    }
    // An ended thread stays signalled: the wait only looks.
    return wait_result_of(
        hosted::wait_readable((*static_cast<std::shared_ptr<thread_state>*>(handle_))->ended.get(), timeout_ms));
}

void thread::close()
{
    delete static_cast<std::shared_ptr<thread_state>*>(handle_);
    handle_ = nullptr;
}

bool thread::is_open() const
{
    return handle_ != nullptr;
}

} // namespace plat
