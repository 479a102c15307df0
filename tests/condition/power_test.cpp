#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "condition/power.h"

namespace parvela {
namespace {

struct PowerResult {
  Complex lambda;
  std::int32_t iter = 0;
  std::int32_t status = 99;
  float test = -1.0f;
};

// One POWER_COMPLEX call on a real matrix given row by row.
PowerResult runComplex(std::int32_t n, const std::vector<float>& rowMajor) {
  std::vector<Complex> a(rowMajor.size());
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[j * n + i] = {rowMajor[i * n + j], 0.0f};
  PowerResult r;
  POWER_COMPLEX(n, a.data(), 1000, kPowerTolerance, r.lambda, r.iter, r.status, r.test);
  return r;
}

TEST(PowerMethod, SettlesInTheFirstPass) {
  PowerResult r = runComplex(2, {3, 0, 0, 1});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.iter, 2);
  EXPECT_FLOAT_EQ(r.lambda.re, 3.0f);
  EXPECT_EQ(r.lambda.im, 0.0f);

  // The start vector is an eigenvector for 1.
  r = runComplex(2, {0, 1, 1, 0});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.iter, 2);
  EXPECT_EQ(r.lambda.re, 1.0f);
  EXPECT_EQ(r.lambda.im, 0.0f);
  EXPECT_EQ(r.test, 0.0f);

  // The second element alternates in sign; the quotient is taken at the first.
  r = runComplex(2, {1, 0, 0, -1});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.iter, 2);
  EXPECT_EQ(r.lambda.re, 1.0f);
  EXPECT_EQ(r.lambda.im, 0.0f);

  for (float a : {5.0f, -0.25f, 3.0f}) {
    r = runComplex(1, {a});
    EXPECT_EQ(r.status, 0) << a;
    EXPECT_EQ(r.iter, 2) << a;
    EXPECT_EQ(r.lambda.re, a);
    EXPECT_EQ(r.lambda.im, 0.0f);
    EXPECT_EQ(r.test, 0.0f);
  }
  // Below 1E-6 the change is measured absolutely.
  r = runComplex(1, {1.0e-20f});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.iter, 2);
  EXPECT_FLOAT_EQ(r.lambda.re, 1.0e-20f);
}

TEST(PowerMethod, EqualModuliNeedTheShiftedPass) {
  // Eigenvalues i and -i: the first pass alternates, the shift by i
  // separates them, and the shift is added back.
  PowerResult r = runComplex(2, {0, -1, 1, 0});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.iter, 3);
  EXPECT_NEAR(r.lambda.re, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(r.lambda.im, -1.0f);
  EXPECT_LE(r.test, kPowerTolerance);
}

TEST(PowerMethod, ShiftIsAppliedToTheComplexCopyOnly) {
  const std::vector<float> a = {0, 1, -1, 0};  // column-major [[0,-1],[1,0]]
  const std::vector<float> before = a;
  Complex lambda;
  std::int32_t status = 99;
  float test = -1;
  EIGEN_POWER(2, a.data(), lambda, status, test);
  EXPECT_EQ(status, 0);
  EXPECT_FLOAT_EQ(modulus(lambda), 1.0f);
  EXPECT_EQ(a, before);

  // POWER_COMPLEX itself leaves the shift in its matrix.
  std::vector<Complex> c = {{0, 0}, {1, 0}, {-1, 0}, {0, 0}};
  std::int32_t iter = 0;
  POWER_COMPLEX(2, c.data(), 1000, kPowerTolerance, lambda, iter, status, test);
  EXPECT_EQ(c[0].im, -1.0f);
  EXPECT_EQ(c[3].im, -1.0f);
  EXPECT_EQ(c[1].im, 0.0f);
}

TEST(PowerMethod, HilbertThree) {
  std::vector<float> h(9);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) h[(j - 1) * 3 + i - 1] = 1.0f / static_cast<float>(i + j - 1);
  Complex lambda;
  std::int32_t status = 99;
  float test = -1;
  EIGEN_POWER(3, h.data(), lambda, status, test);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(modulus(lambda), 1.408319f, 2e-6f);
  EXPECT_NEAR(lambda.im, 0.0f, 1e-6f);
}

TEST(PowerMethod, VanishingIterateFailsWithNaN) {
  // The zero matrix, and a nilpotent matrix whose second iterate is zero.
  for (const std::vector<float>& m : {std::vector<float>(9, 0.0f), std::vector<float>{0, 0, 1, 0}}) {
    const int n = m.size() == 9 ? 3 : 2;
    Complex lambda{7, 7};
    std::int32_t status = 99;
    float test = -1;
    EIGEN_POWER(n, m.data(), lambda, status, test);
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(std::isnan(lambda.re) || std::isnan(lambda.im));
    EXPECT_TRUE(std::isnan(modulus(lambda)));
    EXPECT_TRUE(std::isnan(test));

    std::vector<Complex> c(m.size());
    for (std::size_t p = 0; p < m.size(); ++p) c[p] = {m[p], 0.0f};
    std::int32_t iter = 0;
    POWER_COMPLEX(n, c.data(), 1000, kPowerTolerance, lambda, iter, status, test);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(iter, 1000);  // the second pass ran to its end
  }
}

TEST(PowerMethod, OscillationThatTheShiftCannotSeparate) {
  // [[1,1],[0,-1]]: eigenvalues 1 and -1 with the shift leaving them of
  // equal modulus; both passes run out.
  std::vector<Complex> c = {{1, 0}, {0, 0}, {1, 0}, {-1, 0}};
  Complex lambda;
  std::int32_t iter = 0, status = 99;
  float test = -1;
  POWER_COMPLEX(2, c.data(), 1000, kPowerTolerance, lambda, iter, status, test);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(iter, 1000);
  EXPECT_GT(test, kPowerTolerance);
}

TEST(PowerMethod, DegenerateLimitsAndOrder) {
  // A limit below 2 still ends each pass after its first tested iteration.
  std::vector<Complex> c = {{0, 0}, {1, 0}, {-1, 0}, {0, 0}};
  Complex lambda;
  std::int32_t iter = 0, status = 99;
  float test = -1;
  POWER_COMPLEX(2, c.data(), 1, kPowerTolerance, lambda, iter, status, test);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(iter, 2);

  // An empty matrix has a spectral radius of zero and reads nothing.
  EIGEN_POWER(0, nullptr, lambda, status, test);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(modulus(lambda), 0.0f);
}

}  // namespace
}  // namespace parvela
