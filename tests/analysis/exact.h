// Independent values for the analysis tests: exact rational arithmetic on
// the single-precision data (GMP), and the systems the tests run on.
#pragma once

#include <gmpxx.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/problem_state.h"
#include "io/generators.h"

namespace parvela::testing {

using Rational = mpq_class;
using RationalMatrix = std::vector<std::vector<Rational>>;  // [row][column]

inline Rational exact(float v) {
  Rational q(static_cast<double>(v));  // a float is exactly a double, a double exactly a rational
  return q;
}

// The rational matrix of n x n column-major single-precision values.
inline RationalMatrix rational(std::int32_t n, const std::vector<float>& A) {
  RationalMatrix m(static_cast<std::size_t>(n), std::vector<Rational>(static_cast<std::size_t>(n)));
  for (std::int32_t j = 0; j < n; ++j)
    for (std::int32_t i = 0; i < n; ++i) m[i][j] = exact(A[static_cast<std::size_t>(j) * n + i]);
  return m;
}

// Gauss-Jordan in exact arithmetic: the inverse, or nothing when singular.
inline std::optional<RationalMatrix> exactInverse(RationalMatrix a) {
  const std::size_t n = a.size();
  RationalMatrix inv(n, std::vector<Rational>(n));
  for (std::size_t i = 0; i < n; ++i) inv[i][i] = 1;
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t p = k;
    while (p < n && a[p][k] == 0) ++p;
    if (p == n) return std::nullopt;
    std::swap(a[k], a[p]);
    std::swap(inv[k], inv[p]);
    const Rational pivot = a[k][k];
    for (std::size_t j = 0; j < n; ++j) {
      a[k][j] /= pivot;
      inv[k][j] /= pivot;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (i == k || a[i][k] == 0) continue;
      const Rational f = a[i][k];
      for (std::size_t j = 0; j < n; ++j) {
        a[i][j] -= f * a[k][j];
        inv[i][j] -= f * inv[k][j];
      }
    }
  }
  return inv;
}

inline std::vector<Rational> times(const RationalMatrix& m, const std::vector<Rational>& x) {
  std::vector<Rational> y(m.size());
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = 0; j < x.size(); ++j) y[i] += m[i][j] * x[j];
  return y;
}

inline long double toLongDouble(const Rational& q) {
  mpfr_t t;
  mpfr_init2(t, 64);
  mpfr_set_q(t, q.get_mpq_t(), MPFR_RNDN);
  const long double v = mpfr_get_ld(t, MPFR_RNDN);
  mpfr_clear(t);
  return v;
}

inline Rational absolute(const Rational& q) { return q < 0 ? Rational(-q) : q; }

inline Rational maxAbs(const std::vector<Rational>& v) {
  Rational m = 0;
  for (const Rational& x : v) m = std::max(m, absolute(x));
  return m;
}

inline Rational normInfExact(const RationalMatrix& m) {
  Rational best = 0;
  for (const auto& row : m) {
    Rational s = 0;
    for (const Rational& x : row) s += absolute(x);
    best = std::max(best, s);
  }
  return best;
}

// ||y - x|| / ||x|| (infinity norm) of a float vector y against exact x.
inline double exactForwardError(const std::vector<float>& y, const std::vector<Rational>& x) {
  std::vector<Rational> d(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) d[i] = exact(y[i]) - x[i];
  return static_cast<double>(toLongDouble(maxAbs(d) / maxAbs(x)));
}

// ||b - A y|| / (||A|| ||y|| + ||b||), all exact.
inline double exactBackwardError(const RationalMatrix& A, const std::vector<float>& b, const std::vector<float>& y) {
  std::vector<Rational> ye, be;
  for (float v : y) ye.push_back(exact(v));
  for (float v : b) be.push_back(exact(v));
  std::vector<Rational> r = times(A, ye);
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = be[i] - r[i];
  return static_cast<double>(toLongDouble(maxAbs(r) / (normInfExact(A) * maxAbs(ye) + maxAbs(be))));
}

// A problem state ready for a private run: n x n matrix A (column-major),
// right-hand sides B, the method of the list by name, parameters as typed.
inline ProblemState systemState(std::int32_t n, std::vector<float> A, std::vector<float> B, std::string_view method,
                                std::string_view eps = "1e-5", std::string_view nlim = "500",
                                std::string_view omega = "1.2") {
  ProblemState s;
  {
    ProblemScope scope(s);
    INITIALIZEDATA();
  }
  s.n = n;
  s.nb = static_cast<std::int32_t>(B.size() / static_cast<std::size_t>(n));
  s.A = std::move(A);
  s.B = std::move(B);
  s.methodIndex = methodIndexOf(method);
  s.problemKind = ProblemKind::System;
  s.readForSystem = true;
  s.dataRead = true;
  if (methodReadsPacked(s.methodIndex)) {
    const std::size_t N = static_cast<std::size_t>(n);
    s.AV.assign(N * (N + 1) / 2, 0.0f);
    for (std::size_t j = 1; j <= N; ++j)
      for (std::size_t i = 1; i <= j; ++i) s.AV[packedOffset(i, j)] = s.A[(j - 1) * N + (i - 1)];
    s.A.assign(N * N, 0.0f);  // as a symmetric matrix read for Cholesky leaves it
    s.avAllocated = s.avFromRead = true;
    s.matrixKind = MatrixKind::Symmetric;
  }
  s.epsText = fixedText(eps, kParamTextLength);
  s.nlimText = fixedText(nlim, kParamTextLength);
  s.omegaText = fixedText(omega, kParamTextLength);
  return s;
}

inline std::vector<float> generated(std::string_view name, std::int32_t n, const std::vector<float>& C = {}) {
  std::vector<float> A(static_cast<std::size_t>(n) * n);
  GEN_A(n, A.data(), static_cast<std::int32_t>(C.size()), C.data(), name);
  return A;
}

// b = A (1, ..., 1)^T, each sum in double, stored in single precision.
inline std::vector<float> onesRhs(std::int32_t n, const std::vector<float>& A) {
  std::vector<float> b(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    double s = 0.0;
    for (std::int32_t j = 0; j < n; ++j) s += A[static_cast<std::size_t>(j) * n + i];
    b[i] = static_cast<float>(s);
  }
  return b;
}

// The tridiagonal (-1, 2, -1) matrix of order n.
inline std::vector<float> tridiagonal(std::int32_t n) { return generated("Banda constanta", n, {2.0f, -1.0f}); }

}  // namespace parvela::testing
