// ELIM2, fast: the blocked elimination with the multipliers kept aside.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

// Same arguments, the same bits and the same status as ELIM2; publishes a
// summary of every column to the thread's step listener.
KernelStatus elim2Fast(std::int32_t n, std::int32_t m, float* A, float* B, float eps,
                       std::int32_t& status);

}  // namespace parvela
