// Row reordering before iteration, and the stopping measure.
#pragma once

#include <cstdint>
#include <optional>

#include "core/run_result.h"

namespace parvela {

// Largest magnitude of v(1..n); -3.4028235e38 for n <= 0.
float NORM(const float* v, std::int32_t n);

// Replaces row r by the lower row of largest |A(i,r)| (counted in `count`);
// status -1 when even that is below prag: the returned status names the
// row and that element.
KernelStatus PIVOTARE(std::int32_t n, std::int32_t nb, float* A, float* B, float prag, std::int32_t r,
                      std::int32_t& count, std::int32_t& status);

// The pass over the diagonal that both iterative drivers run: the number
// of exchanges when every diagonal element is usable (the count line is
// written), or the breakdown after the failure lines. Publishes every
// exchange to the thread's step listener.
struct Reordering {
  std::int32_t exchanges = 0;
  std::optional<Breakdown> breakdown;
};
Reordering reorderRows(std::int32_t n, std::int32_t nb, float* A, float* B);

}  // namespace parvela
