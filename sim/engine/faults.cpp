#include "faults.h"

#include "zanioctl.h"

namespace sim {

fault_outcome take_fault(adapter& a)
{
    fault_plan& f = a.faults;
    if (f.silent != 0) return {fault_outcome::kind::silent};
    if (f.at_answer != FAULT_AT_NONE && f.at_request == a.requests + 1) {
        // Fires once; a busy run goes on as pending busy answers.
        const std::uint32_t answer = f.at_answer;
        const std::uint32_t value = f.at_value;
        f.at_answer = FAULT_AT_NONE;
        f.at_request = 0;
        f.at_value = 0;
        switch (answer) {
        case FAULT_AT_SILENT: return {fault_outcome::kind::silent};
        case FAULT_AT_BUSY: f.busy += value; break;
        default: return {fault_outcome::kind::status, static_cast<std::uint16_t>(value)};
        }
    }
    if (f.busy > 0) {
        --f.busy;
        return {fault_outcome::kind::status, zan::IOC_STATUS_DEVICE_BUSY};
    }
    if (f.status_count > 0) {
        --f.status_count;
        return {fault_outcome::kind::status, static_cast<std::uint16_t>(f.status)};
    }
    return {};
}

void arm_fault_at(adapter& a, std::uint64_t n, std::uint32_t answer, std::uint32_t value)
{
    a.faults.at_request = a.requests + n;
    a.faults.at_answer = answer;
    a.faults.at_value = value;
}

} // namespace sim
