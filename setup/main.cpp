// zansetup: installs or removes the suite silently through the Windows
// Installer package zanraid.msi in the current folder, stopping the
// monitoring service first and, after an installation, setting the disk
// class driver's I/O time-out to 60 seconds. One argument, one result line
// without a line end, exit code 0 in every case.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "installer_system.h"
#include "plat/error.h"
#include "plat/registry.h"

namespace {

constexpr char PACKAGE[] = "zanraid.msi";
constexpr char SERVICE[] = "zanservice";
constexpr char SERVICE_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice";
constexpr char DISK_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\Disk";
constexpr std::uint32_t DISK_TIMEOUT_SECONDS = 60;

namespace msg {
constexpr char usage[] = "usage: %s [-INSTALL | -install | -UNINSTALL | -uninstall]\n";
constexpr char install_success[] = "Zan Utility Install success.";
constexpr char install_failed[] = "Zan Utility Install failed.";
constexpr char uninstall_success[] = "Zan Utility Uninstall success.";
constexpr char uninstall_failed[] = "Zan Utility Uninstall failed.";
} // namespace msg

void say(const char* message)
{
    std::printf("%s", message);
}

// Runs msiexec with `action` ("/i" or "/x") on the package; true when it
// exits with 0.
bool run_installer(const char* action)
{
    char command[128];
    std::snprintf(command, sizeof command, action[1] == 'i' ? "msiexec /qn /i %s" : "msiexec /qn /x %s", PACKAGE);
    std::uint32_t exit_code = 1;
    return setup::run_through_shell(command, exit_code) && exit_code == 0;
}

void install()
{
    setup::stop_service(SERVICE);
    if (!run_installer("/i")) return;
    plat::reg_key disk;
    const std::uint32_t timeout = DISK_TIMEOUT_SECONDS;
    if (disk.create(DISK_KEY) != plat::ERR_SUCCESS ||
        disk.set_value("TimeoutValue", plat::REG_TYPE_DWORD, &timeout, sizeof timeout) != plat::ERR_SUCCESS) {
        say(msg::install_failed);
        return;
    }
    say(msg::install_success);
}

void uninstall()
{
    setup::stop_service(SERVICE);
    // The service's folders are read and left in place: the dumps and logs
    // in them are the administrator's.
    plat::reg_key service;
    if (service.create(SERVICE_KEY) == plat::ERR_SUCCESS) {
        for (const char* name : {"DumpDir", "LogDir"}) {
            char folder[260];
            std::uint32_t type = 0;
            std::uint32_t size = sizeof folder;
            (void)service.query_value(name, type, folder, size);
        }
    }
    say(run_installer("/x") ? msg::uninstall_success : msg::uninstall_failed);
}

} // namespace

int main(int argc, char** argv)
{
    const char* action = argc > 1 ? argv[1] : "";
    if (std::strcmp(action, "-INSTALL") == 0 || std::strcmp(action, "-install") == 0) {
        install();
    } else if (std::strcmp(action, "-UNINSTALL") == 0 || std::strcmp(action, "-uninstall") == 0) {
        uninstall();
    } else {
        std::printf(msg::usage, argv[0]);
    }
    return 0;
}
