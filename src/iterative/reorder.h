// Row reordering before iteration, and the stopping measure.
#pragma once

#include <cstdint>

namespace parvela {

// Largest magnitude of v(1..n); -3.4028235e38 for n <= 0.
float NORM(const float* v, std::int32_t n);

void PIVOTARE(std::int32_t n, std::int32_t nb, float* A, float* B, float prag, std::int32_t r,
              std::int32_t& count, std::int32_t& status);

// The pass over the diagonal that both iterative drivers run: true when
// every diagonal element is usable (the count line is written), false after
// the failure lines.
bool reorderRows(std::int32_t n, std::int32_t nb, float* A, float* B);

}  // namespace parvela
