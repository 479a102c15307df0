// The sweeps the iteration driver runs: the same results, bit for bit, as
// sweepGaussSeidel and sweepSor (sweeps.h), on the widest instruction-set
// path of the machine, SOR's independent half on two threads.
#pragma once

#include <cstdint>

namespace parvela {

void fastSweepGaussSeidel(std::int32_t n, const float* A, const float* b, const float* X0,
                          float* X1);
void fastSweepSor(std::int32_t n, const float* A, const float* b, const float* X0, float* X1,
                  float omega, float oneMinusOmega);

}  // namespace parvela
