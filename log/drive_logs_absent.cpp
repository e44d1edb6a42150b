// The drive logs of a build without the pass-through library: refused as
// not supported.
#include "drive_logs.h"

#include "report.h"

namespace zanlog {

bool collect_drive_log(log_kind, int, int, const std::string&)
{
    return report_error(ERROR_NOT_SUPPORTED, shown::as_such);
}

} // namespace zanlog
