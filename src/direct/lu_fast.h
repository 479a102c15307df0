// Blocked LU factorisation and solves with the bits of LUDECOMP, APVT and
// LUSOLVE.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

// LUDECOMP: the same factors, ORDER, interchanges (counted in `swaps`),
// status and partly factored A on a breakdown. Publishes a summary of every
// step to the thread's step listener.
KernelStatus luFactor(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t& ierr,
                      std::int32_t& swaps);
// LUSOLVE for each of the nb right-hand sides, column-major in B, solved in
// place.
void luSolve(const float* LU, std::int32_t n, const std::int32_t* ORDER, std::int32_t nb,
             float* B);

}  // namespace parvela
