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
#include "win_error.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/file.h>

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
