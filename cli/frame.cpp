#include "frame.h"

#include "commands.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "zandllctl.h"

#include <plat/error.h>

namespace cli {

namespace {

// Releases the lock if this process owns it and closes the handle. The run
// ends right after, so a failure here has nobody left to act on it.
void release_instance_lock(frame& context)
{
    if (context.lock_owned) {
        static_cast<void>(context.instance_lock.release());
        context.lock_owned = false;
    }
    if (context.instance_lock.is_open()) static_cast<void>(context.instance_lock.close());
}

// The end of every run after start-up: the library is finalised unless a
// fatal end dealt with it already, then the lock goes.
int end_run(frame& context, int status)
{
    if (context.library_pending && !finish_library(std::nullopt)) status = fatal_status;
    context.library_pending = false;
    release_instance_lock(context);
    return status;
}

} // namespace

bool finish_library(std::optional<int> adapter)
{
    return call_library(adapter, finContData);
}

outcome fatal_end(frame& context, std::string_view message, std::optional<int> adapter)
{
    say(message);
    static_cast<void>(finish_library(adapter));
    context.library_pending = false;
    return outcome::fatal;
}

outcome fatal_end_keep_library(frame& context, std::string_view message)
{
    say(message);
    context.library_pending = false;
    return outcome::fatal;
}

int end_with_status(frame& context, std::uint32_t status)
{
    context.library_pending = false;
    return static_cast<int>(status);
}

int run(int argc, const char* const* argv)
{
    if (argc < 2) {
        say(msg::wrong_parameters);
        return fatal_status;
    }
    const command_entry* command = find_command(argv[1]);
    if (command == nullptr) {
        sayf(msg::not_supported, argv[1]);
        return fatal_status;
    }

    frame context;
    if (!initContData(0)) {
        if (DLLGetLastError() & zan::DLL_ERROR_IOCTL_BUSY)
            return end_run(context, status_after(fatal_end(context, msg::competition, std::nullopt)));
        say(msg::dll_initialize_error);
        return fatal_status;
    }

    bool already_existed = false;
    if (!context.instance_lock.create(instance_mutex_name, true, already_existed)) {
        const outcome ended = fatal_end(context, system_error_message(plat::last_error()), std::nullopt);
        return end_run(context, status_after(ended));
    }
    if (already_existed) {
        say(msg::already_started);
        return end_run(context, success_status);
    }
    context.lock_owned = true;
    return end_run(context, command->run(context, argc, argv));
}

} // namespace cli
