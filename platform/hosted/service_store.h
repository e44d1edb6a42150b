// The service controller stand-in of the hosted build, as files of the root
// shared by the service's process and zansim service:
//   <root>/services/NAME.control  a FIFO: each byte written is a control for
//                                 the service's handler
//   <root>/services/NAME.status   its last status report (one line)
//   <root>/services/NAME.history  every status report, oldest first
//   <root>/services/NAME.pid      the process running it
//   <root>/services/NAME.out      its standard output and error
// A program runs as service NAME only when zansim started it so, with
// SERVICE_ENVIRONMENT set to NAME.
#ifndef PLAT_HOSTED_SERVICE_STORE_H
#define PLAT_HOSTED_SERVICE_STORE_H

#include <cstdint>
#include <string>

#include "plat/service.h"

namespace plat::hosted {

inline constexpr char SERVICE_ENVIRONMENT[] = "ZAN_SERVICE";

// <root>/services/NAME followed by `suffix` (".control", ".status", ...).
std::string service_file(const std::string& root, const std::string& name, const char* suffix);

// One line: the state's name, then controls, check point, wait hint and both exit codes.
std::string format_service_status(const service_status& status);

// Writes `status` as the last report and appends it to the history; 0 or an errno value.
[[nodiscard]] int record_service_status(const std::string& root, const std::string& name,
                                        const service_status& status);

} // namespace plat::hosted

#endif
