// The arithmetic both power methods share (the straightforward one on a
// complex matrix and the fast one on a real matrix), so that they give the
// same bits.
#pragma once

#include <cstdint>

#include "condition/norms.h"

namespace parvela::power {

// Iterations of one pass of the power method.
constexpr std::int32_t kIterations = 1000;
// Below this size of the eigenvalue estimate its change is measured
// absolutely instead of relatively.
constexpr float kSmallLambda = 1.0E-6f;

inline Complex add(Complex x, Complex y) { return {x.re + y.re, x.im + y.im}; }
inline Complex sub(Complex x, Complex y) { return {x.re - y.re, x.im - y.im}; }

// Quotient formed in double precision, each part stored in single.
inline Complex div(Complex x, Complex y) {
  const double a = x.re, b = x.im, c = y.re, d = y.im;
  const double t = 1.0 / (c * c + d * d);
  return {static_cast<float>((a * c + b * d) * t), static_cast<float>((b * c - a * d) * t)};
}

// How much the eigenvalue estimate moved in one iteration: relative to
// its size, or absolute when it is small.
inline float change(Complex lambda, Complex lambda0) {
  const Complex d = sub(lambda, lambda0);
  const float size = modulus(lambda);
  return size > kSmallLambda ? modulus(d) / size : modulus(d);
}

// Divides both parts of every element by the vector's euclidean length.
inline void normalise(std::int32_t n, Complex* V) {
  const float len = VECTOR_NORM2(n, V);
  for (std::int32_t i = 0; i < n; ++i) {
    V[i].re = V[i].re / len;
    V[i].im = V[i].im / len;
  }
}

}  // namespace parvela::power
