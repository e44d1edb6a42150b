// Builders of the records the simulated firmware answers, from the model.
#ifndef SIM_ENGINE_RECORDS_H
#define SIM_ENGINE_RECORDS_H

#include <cstdint>
#include <string>

#include "model.h"
#include "zandllctl.h"

namespace sim {

zan::ContInfo build_cont_info(const adapter& a);
zan::ContPara build_cont_para(const adapter& a);
zan::RaidStatus build_raid_status(const adapter& a);
// Callers make sure that the logical drive is defined and the drive present.
zan::LogicalDriveInfo build_logical_info(const adapter& a, int number);
// A restore candidate in the same layout; each member entry also carries the
// state of its drive (0xFF when absent).
zan::LogicalDriveInfo build_candidate_info(const adapter& a, int number);
zan::PhysicalDriveInfo build_drive_info(const adapter& a, int number);

// A drive's 40-character inquiry text: as given, or built from vendor (8),
// product (16) and revision (4), blank-padded.
std::string inquiry_text(const physical_drive& d);

} // namespace sim

#endif
