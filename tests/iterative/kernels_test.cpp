// Numerical kernels of the iterative methods: the stopping measure, the
// row reordering, the sweeps and the SOR scaling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "io/fortran_io.h"
#include "iterative/reorder.h"
#include "iterative/sweeps.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using testing::byRows;

using Kernels = testing::ReportUnitsTest;

TEST_F(Kernels, NormLargestMagnitude) {
  const float v[] = {1.0f, -3.0f, 2.0f};
  EXPECT_EQ(NORM(v, 3), 3.0f);
  const float negZero[] = {-0.0f};
  EXPECT_EQ(NORM(negZero, 1), 0.0f);
  EXPECT_FALSE(std::signbit(NORM(negZero, 1)));
  EXPECT_EQ(NORM(v, 0), -3.4028235e38f);
  EXPECT_EQ(NORM(v, -2), -std::numeric_limits<float>::max());
  const float inf[] = {1.0f, -std::numeric_limits<float>::infinity()};
  EXPECT_EQ(NORM(inf, 2), std::numeric_limits<float>::infinity());
}

TEST_F(Kernels, NormIsNaNWhenAnyElementIs) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float first[] = {nan, 5.0f};
  const float later[] = {1.0f, nan, 7.0f};
  EXPECT_TRUE(std::isnan(NORM(first, 2)));
  EXPECT_TRUE(std::isnan(NORM(later, 3)));
}

TEST_F(Kernels, ReorderExchangesRowsOfAAndBTogether) {
  // [[0,1],[1,0]]: one exchange, then the second diagonal is 1.
  auto a = byRows(2, {0, 1, 1, 0});
  std::vector<float> b = {7, 8};
  EXPECT_FALSE(reorderRows(2, 1, a.data(), b.data()).breakdown);
  EXPECT_EQ(a, byRows(2, {1, 0, 0, 1}));
  EXPECT_EQ(b, (std::vector<float>{8, 7}));

  // [[0,2],[3,1]], b = (4,5): the iterated system is 3x1 + x2 = 5, 2x2 = 4.
  a = byRows(2, {0, 2, 3, 1});
  b = {4, 5};
  EXPECT_FALSE(reorderRows(2, 1, a.data(), b.data()).breakdown);
  EXPECT_EQ(a, byRows(2, {3, 1, 0, 2}));
  EXPECT_EQ(b, (std::vector<float>{5, 4}));

  // Several right-hand sides move with their rows.
  a = byRows(2, {0, 2, 3, 1});
  b = {4, 5, 40, 50};
  EXPECT_FALSE(reorderRows(2, 2, a.data(), b.data()).breakdown);
  EXPECT_EQ(b, (std::vector<float>{5, 4, 50, 40}));
}

TEST_F(Kernels, PivotareCountsAndPicksTheUppermostLargest) {
  // Column 1 below the diagonal holds -0.5 and 0.5: the first of them wins.
  auto a = byRows(3, {0, 1, 2,  //
                      -0.5f, 3, 4, //
                      0.5f, 5, 6});
  std::vector<float> b = {1, 2, 3};
  std::int32_t count = 4, status = 9;
  PIVOTARE(3, 1, a.data(), b.data(), 1.0e-6f, 1, count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(a, byRows(3, {-0.5f, 3, 4, 0, 1, 2, 0.5f, 5, 6}));
  EXPECT_EQ(b, (std::vector<float>{2, 1, 3}));

  // Already the largest: nothing moves, nothing counted.
  a = byRows(2, {1.0e-7f, 1, 1.0e-8f, 1});
  count = 0;
  PIVOTARE(2, 1, a.data(), b.data(), 1.0e-8f, 1, count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(a[0], 1.0e-7f);
}

TEST_F(Kernels, ReorderThresholdAndRowsExaminedAgain) {
  // A diagonal of exactly 1.0e-6 is usable and is not searched.
  auto a = byRows(2, {1.0e-6f, 1, 5, 1});
  std::vector<float> b = {1, 2};
  EXPECT_FALSE(reorderRows(2, 1, a.data(), b.data()).breakdown);
  EXPECT_EQ(a[0], 1.0e-6f);

  // Row 1 takes row 2 (largest in column 1); the old row 1, now row 2, has
  // a zero diagonal and is exchanged with row 3 when the pass reaches it.
  a = byRows(3, {0, 0, 1,  //
                 2, 1, 0,  //
                 1, 4, 1});
  b = {1, 2, 3};
  EXPECT_FALSE(reorderRows(3, 1, a.data(), b.data()).breakdown);
  EXPECT_EQ(a, byRows(3, {2, 1, 0, 1, 4, 1, 0, 0, 1}));
  EXPECT_EQ(b, (std::vector<float>{2, 3, 1}));
}

TEST_F(Kernels, ReorderFailureKeepsExchangesMade) {
  // Row 1 is fixed by an exchange; column 2 then has nothing usable from
  // row 2 down.
  auto a = byRows(3, {0, 0, 1,  //
                      1, 0, 0,  //
                      0, 0, 1});
  std::vector<float> b = {1, 2, 3};
  EXPECT_TRUE(reorderRows(3, 1, a.data(), b.data()).breakdown);
  EXPECT_EQ(a, byRows(3, {1, 0, 0, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(b, (std::vector<float>{2, 1, 3}));

  // A zero first column fails at once and leaves everything in place.
  a = byRows(2, {0, 1, 0, 1});
  b = {1, 2};
  EXPECT_TRUE(reorderRows(2, 1, a.data(), b.data()).breakdown);
  EXPECT_EQ(a, byRows(2, {0, 1, 0, 1}));
  std::int32_t count = 0, status = 0;
  PIVOTARE(2, 1, a.data(), b.data(), 1.0e-6f, 1, count, status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(count, 0);
}

TEST_F(Kernels, GaussSeidelSumsInIncreasingColumnOrder) {
  // Row 2: s = (A21 x1 + A23 x3) + A24 x4 = (1e8 - 1e8) + 1 = 1; grouping the
  // terms after the diagonal first would lose the 1.
  const auto a = byRows(4, {1, 0, 0, 0,  //
                            1, 1, -1, 1, //
                            0, 0, 1, 0,  //
                            0, 0, 0, 1});
  const float b[] = {1.0e8f, 3, 1.0e8f, 1};
  const float x0[] = {0, 0, 1.0e8f, 1};
  float x1[4] = {};
  sweepGaussSeidel(4, a.data(), b, x0, x1);
  EXPECT_EQ(x1[0], 1.0e8f);
  EXPECT_EQ(x1[1], 2.0f);
}

TEST_F(Kernels, SorKeepsTwoPartialSums) {
  // Unit diagonal. Row 2: s1 = A21 x1 = 1e8, s2 = A23 x3 = -1e8:
  // (1 - 1e8) - (-1e8) = 0 in single precision, whereas b - (s1 + s2) = 1.
  const auto a = byRows(3, {1, 0, 0,  //
                            1, 1, -1, //
                            0, 0, 1});
  const float b[] = {1.0e8f, 1, 5};
  const float x0[] = {0, 0, 1.0e8f};
  float x1[3] = {};
  sweepSor(3, a.data(), b, x0, x1, 1.0f, 0.0f);
  EXPECT_EQ(x1[0], 1.0e8f);
  EXPECT_EQ(x1[1], 0.0f);
  float g[3] = {};
  sweepGaussSeidel(3, a.data(), b, x0, g);
  EXPECT_EQ(g[1], 1.0f);
}

TEST_F(Kernels, SorRelaxesEveryComponentButTheFirst) {
  const auto a = byRows(2, {1, 0.5f, 0.25f, 1});
  const float b[] = {2, 3};
  const float x0[] = {10, 20};
  float x1[2] = {};
  const float omega = 1.5f, one = 1.0f - omega;
  sweepSor(2, a.data(), b, x0, x1, omega, one);
  EXPECT_EQ(x1[0], 2.0f - 0.5f * 20.0f);  // g, unrelaxed
  const float g2 = (3.0f - 0.25f * x1[0]) - 0.0f;
  EXPECT_EQ(x1[1], omega * g2 + one * 20.0f);

  // n = 1: b1 whatever omega is.
  const float one1[] = {1};
  const float b1[] = {0.75f};
  const float z[] = {3};
  float y[1];
  sweepSor(1, one1, b1, z, y, 1.9f, 1.0f - 1.9f);
  EXPECT_EQ(y[0], 0.75f);
}

TEST_F(Kernels, SorWithOmegaOneFollowsGaussSeidelOnTheScaledSystem) {
  auto a = byRows(3, {4, 1, 0, 1, 4, 1, 0, 1, 4});
  std::vector<float> b = {5, 6, 5};
  scaleToUnitDiagonal(3, 1, a.data(), b.data());
  std::vector<float> gs0(3, 0.0f), gs1(3), s0(3, 0.0f), s1(3);
  for (int sweep = 0; sweep < 12; ++sweep) {
    sweepGaussSeidel(3, a.data(), b.data(), gs0.data(), gs1.data());
    sweepSor(3, a.data(), b.data(), s0.data(), s1.data(), 1.0f, 0.0f);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(s1[i], gs1[i], 2.0e-7f * std::fabs(gs1[i]) + 1e-30f);
    gs0 = gs1;
    s0 = s1;
  }
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(s1[i], 1.0f, 1e-6f);
}

TEST_F(Kernels, ScalingDividesRowsByTheirDiagonal) {
  // A negative diagonal flips the row and its right-hand sides.
  auto a = byRows(2, {2, 3, 1, -4});
  std::vector<float> b = {4, 8, 6, -2};  // two right-hand sides
  scaleToUnitDiagonal(2, 2, a.data(), b.data());
  EXPECT_EQ(a, byRows(2, {1, 1.5f, -0.25f, 1}));
  EXPECT_EQ(b, (std::vector<float>{2, -2, 3, 0.5f}));
}

}  // namespace
}  // namespace parvela
