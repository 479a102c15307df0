#include "iterative/sweeps.h"

#include <cmath>
#include <cstddef>

namespace parvela {

namespace {

inline std::size_t pos(std::int32_t n, std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) + (i - 1);
}

}  // namespace

void sweepGaussSeidel(std::int32_t n, const float* A, const float* b, const float* X0, float* X1) {
  for (std::int32_t i = 1; i <= n; ++i) {
    float s = 0.0f;
    for (std::int32_t j = 1; j < i; ++j) s = s + A[pos(n, i, j)] * X1[j - 1];
    for (std::int32_t j = i + 1; j <= n; ++j) s = s + A[pos(n, i, j)] * X0[j - 1];
    X1[i - 1] = (b[i - 1] - s) / A[pos(n, i, i)];
  }
}

void sweepSor(std::int32_t n, const float* A, const float* b, const float* X0, float* X1,
              float omega, float oneMinusOmega) {
  for (std::int32_t i = 1; i <= n; ++i) {
    float s1 = 0.0f;
    for (std::int32_t j = 1; j < i; ++j) s1 = s1 + A[pos(n, i, j)] * X1[j - 1];
    float s2 = 0.0f;
    for (std::int32_t j = i + 1; j <= n; ++j) s2 = s2 + A[pos(n, i, j)] * X0[j - 1];
    const float g = (b[i - 1] - s1) - s2;
    if (i == 1) {
      X1[0] = g;  // the first component is never relaxed
    } else {
      const float relaxed = omega * g;
      const float kept = oneMinusOmega * X0[i - 1];
      X1[i - 1] = relaxed + kept;
    }
  }
}

void scaleToUnitDiagonal(std::int32_t n, std::int32_t nb, float* A, float* B) {
  for (std::int32_t k = 1; k <= nb; ++k)
    for (std::int32_t i = 1; i <= n; ++i) B[pos(n, i, k)] = B[pos(n, i, k)] / A[pos(n, i, i)];
  // Each off-diagonal element is divided by the diagonal element of its row;
  // the diagonal stays as it is until every row is done, so the elements can
  // be visited column by column.
  for (std::int32_t j = 1; j <= n; ++j)
    for (std::int32_t i = 1; i <= n; ++i)
      if (i != j) A[pos(n, i, j)] = A[pos(n, i, j)] / A[pos(n, i, i)];
  for (std::int32_t i = 1; i <= n; ++i) A[pos(n, i, i)] = 1.0f;
}

}  // namespace parvela
