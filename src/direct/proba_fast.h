// Residuals of the verification, computed by tiles.
#pragma once

#include <cstdint>

namespace parvela {

// DIF = A*X - B for n x n A and n x nb X, B, DIF (column-major): each
// element summed over j ascending from zero in single precision, then B
// subtracted. Reports progress per block of right-hand sides.
void probaResiduals(std::int32_t n, std::int32_t nb, const float* A, const float* B,
                    const float* X, float* DIF);

}  // namespace parvela
