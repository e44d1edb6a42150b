// The one place where injected faults meet requests: what the adapter's
// pending faults make of the request in hand, before the firmware sees it.
#ifndef SIM_ENGINE_FAULTS_H
#define SIM_ENGINE_FAULTS_H

#include <cstdint>

#include "model.h"

namespace sim {

struct fault_outcome {
    enum class kind {
        none,    // the firmware answers
        status,  // the request comes back as sent with `status`, counted
        silent,  // the call fails with a time-out, not counted
    };
    kind type = kind::none;
    std::uint16_t status = 0;
};

// Applies the pending faults to the request about to become number
// a.requests + 1, using up what it consumes: a silent adapter first, then a
// fault armed for this very request, then pending busy answers, then
// pending status answers.
fault_outcome take_fault(adapter& a);

// Arms a fault for the `n`-th request from now (n >= 1).
void arm_fault_at(adapter& a, std::uint64_t n, std::uint32_t answer, std::uint32_t value);

} // namespace sim

#endif
