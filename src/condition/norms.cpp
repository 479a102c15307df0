// Matrix norms, complex vector length and the position of the largest
// modulus.
#include "condition/norms.h"

#include <cmath>
#include <limits>
#include <vector>

namespace parvela {

float modulus(Complex z) {
  const double re = z.re;
  const double im = z.im;
  return static_cast<float>(std::sqrt(re * re + im * im));
}

float NORM_INF(std::int32_t n, const float* A) {
  if (n <= 0) return 0.0f;
  const std::size_t nn = static_cast<std::size_t>(n);
  // All row sums at once, walking the columns in storage order; each row
  // still sums its elements in increasing column order.
  std::vector<float> rowSum(nn, 0.0f);
  for (std::size_t j = 0; j < nn; ++j) {
    const float* col = A + j * nn;
    for (std::size_t i = 0; i < nn; ++i) rowSum[i] = rowSum[i] + std::fabs(col[i]);
  }
  float result = 0.0f;
  for (std::size_t i = 0; i < nn; ++i) {
    if (rowSum[i] > result) result = rowSum[i];
  }
  return result;
}

float NORM1(std::int32_t n, const float* A) {
  if (n <= 0) return 0.0f;
  const std::size_t nn = static_cast<std::size_t>(n);
  float result = 0.0f;
  for (std::size_t j = 0; j < nn; ++j) {
    const float* col = A + j * nn;
    float s = 0.0f;
    for (std::size_t i = 0; i < nn; ++i) s = s + std::fabs(col[i]);
    if (s > result) result = s;
  }
  return result;
}

float VECTOR_NORM2(std::int32_t n, const Complex* V) {
  float sum = 0.0f;
  for (std::int32_t i = 0; i < n; ++i) {
    const float term = V[i].re * V[i].re + V[i].im * V[i].im;
    sum = sum + term;
  }
  return std::sqrt(sum);
}

std::int32_t MAXINDEX(std::int32_t n, const Complex* V) {
  float m = n > 0 ? -std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::max();
  for (std::int32_t i = 0; i < n; ++i) {
    const float mi = modulus(V[i]);
    if (mi > m) m = mi;
  }
  for (std::int32_t j = 0; j < n; ++j) {
    if (modulus(V[j]) == m) return j + 1;
  }
  return 1;
}

}  // namespace parvela
