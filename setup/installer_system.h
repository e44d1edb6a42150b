// What the installer front end asks of Windows beyond the registry: stopping
// a running service and running a command through the command interpreter.
#ifndef ZANSETUP_INSTALLER_SYSTEM_H
#define ZANSETUP_INSTALLER_SYSTEM_H

#include <cstdint>

namespace setup {

// Sends the stop control to service `name` when it is running; nothing waits
// for it to stop. A missing service control manager or service is skipped.
void stop_service(const char* name);

// Runs `command` with the COMSPEC program's "/c" (cmd.exe without COMSPEC)
// and waits for it. False when it could not be started; else its exit code.
[[nodiscard]] bool run_through_shell(const char* command, std::uint32_t& exit_code);

} // namespace setup

#endif
