#include "checks.h"

#include "tool_messages.h"
#include "tool_output.h"
#include "plat/error.h"
#include "zandllctl.h"

namespace pth {

namespace {

// Which of a pair of messages fits the library's last error: the system's
// error when the library says so, the library's own flags otherwise.
void report_library_failure(const char* system_text, const char* library_text)
{
    const std::uint32_t flags = DLLGetLastError();
    if ((flags & zan::DLL_ERROR_SYSTEM) != 0)
        putf(system_text, static_cast<int>(plat::last_error()));
    else
        putf(library_text, flags);
    abnormal_end();
}

struct check_texts {
    const char* init_win;
    const char* init_lib;
    const char* call_win;
    const char* call_lib;
};

constexpr check_texts controller_texts{msg::controller_init_win, msg::controller_init_lib, msg::controller_win,
                                       msg::controller_lib};
constexpr check_texts drive_texts{msg::drive_init_win, msg::drive_init_lib, msg::drive_win, msg::drive_lib};

// Starts the library, makes one call and ends the library again.
template <class Call>
bool with_library(const check_texts& texts, loudness how, Call call)
{
    if (initContData(1) == 0) {
        report_library_failure(texts.init_win, texts.init_lib);
        return false;
    }
    const bool answered = call() != 0;
    if (!answered && how == loudness::loud)
        report_library_failure(texts.call_win, texts.call_lib);
    (void)finContData();
    return answered;
}

bool check_drive_status(int controller, loudness how)
{
    return with_library(drive_texts, how, [controller] {
        zan::RaidStatus status{};
        return getRaidStatus(controller, &status);
    });
}

} // namespace

bool check_controller(int controller, loudness how)
{
    return with_library(controller_texts, how, [controller] {
        zan::ContInfo info{};
        return getContInfo(controller, &info);
    });
}

bool physical_drive_in_range(int drive)
{
    if (drive >= 0 && drive < max_physical_drives)
        return true;
    putf(msg::illegal_drive, drive);
    abnormal_end();
    return false;
}

bool check_physical_drive(int controller, int drive, loudness how)
{
    return physical_drive_in_range(drive) && check_drive_status(controller, how);
}

bool check_logical_drive(int controller)
{
    return check_drive_status(controller, loudness::loud);
}

} // namespace pth
