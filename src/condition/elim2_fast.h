// ELIM2, fast: the blocked elimination with the multipliers kept aside.
#pragma once

#include <cstdint>

namespace parvela {

// Same arguments and the same bits as ELIM2, the same pivot line.
void elim2Fast(std::int32_t n, std::int32_t m, float* A, float* B, float eps,
               std::int32_t& status);

}  // namespace parvela
