#include "library_check.h"

#include "report.h"
#include "zandllctl.h"

namespace zanlog {

namespace {

// A library call failed: busy beyond the library's limits is 1011, anything
// else `code`; both shown as such.
bool library_failed(std::uint32_t code)
{
    if ((DLLGetLastError() & zan::DLL_ERROR_IOCTL_BUSY) != 0) code = ERROR_BUSY;
    return report_error(code, shown::as_such);
}

// The checks between start and end of the library.
bool check_numbers(int controller, bool with_drive, int drive)
{
    std::uint8_t count = 0;
    if (getContNum(&count) == 0) {
        if ((DLLGetLastError() & zan::DLL_ERROR_IOCTL_BUSY) != 0) return report_error(ERROR_BUSY, shown::as_such);
        return report_error(ERROR_NO_CONTROLLER, shown::general);
    }
    if (count == 0) return report_error(ERROR_NO_CONTROLLER, shown::as_such);
    zan::ContInfo info{};
    if (getContInfo(controller, &info) == 0) return library_failed(ERROR_NO_CONTROLLER);
    zan::PhysicalDriveInfo drive_info{};
    if (with_drive && getPhysicalDriveInfo(controller, drive, &drive_info) == 0) return library_failed(ERROR_NO_DRIVE);
    return true;
}

} // namespace

bool check_with_library(int controller, bool with_drive, int drive)
{
    if (initContData(0) == 0) return report_error(ERROR_LIBRARY, shown::general);
    if (!check_numbers(controller, with_drive, drive)) {
        (void)finContData(); // the run ends on the first failure
        return false;
    }
    if (finContData() == 0) return report_error(ERROR_LIBRARY, shown::general);
    return true;
}

} // namespace zanlog
