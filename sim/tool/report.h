// zansim show: the state of every adapter of the root as readable tables.
#ifndef SIM_TOOL_REPORT_H
#define SIM_TOOL_REPORT_H

#include <string>

#include "clock.h"
#include "model.h"

namespace sim {

// The clock line: "Clock: real time" or "Clock: simulated, SECONDS s".
std::string clock_report(const clock_reading& clock);

// The report of one adapter.
std::string adapter_report(const adapter& a);

// Words for the pending faults ("none" when there are none).
std::string faults_text(const fault_plan& f);

// A line per drive whose spindle is not running or that has a chosen SCSI
// answer pending (drive_commands.cpp).
std::string drive_scsi_notes(const adapter& a);

} // namespace sim

#endif
