#include "frame.h"

#include <cstdlib>

#include "commands.h"
#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "zandllctl.h"

#include <plat/error.h>

namespace cli {

namespace {

inline constexpr int fatal_status = -1;

// Releases the lock if this process owns it and closes the handle. The
// process ends right after, so a failure here has nobody left to act on it.
void release_instance_lock(frame& context)
{
    if (context.lock_owned) {
        static_cast<void>(context.instance_lock.release());
        context.lock_owned = false;
    }
    if (context.instance_lock.is_open()) static_cast<void>(context.instance_lock.close());
}

[[noreturn]] void end_process(frame& context, int status = fatal_status)
{
    release_instance_lock(context);
    std::exit(status);
}

} // namespace

bool finish_library(std::optional<int> adapter)
{
    if (finContData()) return true;
    report_library_error(adapter);
    return false;
}

void fatal_exit(frame& context, std::string_view message, std::optional<int> adapter)
{
    say(message);
    static_cast<void>(finish_library(adapter));
    end_process(context);
}

void fatal_exit_keep_library(frame& context, std::string_view message)
{
    say(message);
    end_process(context);
}

void exit_with_status(frame& context, std::uint32_t status)
{
    end_process(context, static_cast<int>(status));
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
        if (DLLGetLastError() & zan::DLL_ERROR_IOCTL_BUSY) fatal_exit(context, msg::competition, std::nullopt);
        say(msg::dll_initialize_error);
        return fatal_status;
    }

    bool already_existed = false;
    if (!context.instance_lock.create(instance_mutex_name, true, already_existed))
        fatal_exit(context, system_error_message(plat::last_error()), std::nullopt);
    if (already_existed) {
        say(msg::already_started);
        if (!finish_library(std::nullopt)) end_process(context);
        release_instance_lock(context);
        return 0;
    }
    context.lock_owned = true;

    command->run(context, argc, argv);

    if (!finish_library(std::nullopt)) end_process(context);
    release_instance_lock(context);
    return 0;
}

} // namespace cli
