// Numerical kernels of the direct methods: pivot choices, thresholds,
// interchange counts, precision of the accumulations, packed storage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/problem_state.h"
#include "direct/cholesky.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "direct/proba.h"
#include "io/fortran_io.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using testing::byRows;

float at(const std::vector<float>& m, std::int32_t n, std::int32_t i, std::int32_t j) {
  return m[static_cast<std::size_t>(j - 1) * n + (i - 1)];
}

using Kernels = testing::ReportUnitsTest;

// ---------------------------------------------------------------- IMAXV

TEST_F(Kernels, ImaxvFirstOfEqualMagnitudesAndNaN) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> tie{-3.0f, 3.0f};
  EXPECT_EQ(IMAXV(2, tie.data()), 1);
  const std::vector<float> later{1.0f, -5.0f, 5.0f, 2.0f};
  EXPECT_EQ(IMAXV(4, later.data()), 2);
  const std::vector<float> zeros{0.0f, -0.0f, 0.0f};
  EXPECT_EQ(IMAXV(3, zeros.data()), 1);
  // The first NaN wins over any magnitude, wherever it stands.
  const std::vector<float> withNaN{nan, -2.0f, 2.0f};
  EXPECT_EQ(IMAXV(3, withNaN.data()), 1);
  const std::vector<float> laterNaN{1.0f, -7.0f, nan, nan};
  EXPECT_EQ(IMAXV(4, laterNaN.data()), 3);
  const std::vector<float> allNaN{nan, nan};
  EXPECT_EQ(IMAXV(2, allNaN.data()), 1);
  EXPECT_EQ(IMAXV(0, tie.data()), 0);
  const std::vector<float> inf{1.0f, -std::numeric_limits<float>::infinity()};
  EXPECT_EQ(IMAXV(2, inf.data()), 2);
}

// ----------------------------------------------------------------- ELIM

TEST_F(Kernels, ElimPivotTiesKeepTheUpperRow) {
  // |-2| equals |2|: the diagonal row stays, no interchange.
  auto A = byRows(2, {2, 1, -2, 3});
  std::vector<float> B{3, 1};
  std::int32_t ierr = 9, npiv = 0;
  ELIM(2, 1, A.data(), B.data(), 1.0E-6f, ierr, npiv);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(npiv, 0);
  EXPECT_EQ(at(A, 2, 2, 1), -1.0f);  // multiplier -2/2
  EXPECT_EQ(at(A, 2, 2, 2), 4.0f);
  EXPECT_EQ(B[0], 1.0f);
  EXPECT_EQ(B[1], 1.0f);

  // Rows 2 and 3 tie below a smaller diagonal: row 2 is taken.
  auto C = byRows(3, {1, 0, 0, -4, 1, 0, 4, 0, 1});
  std::vector<float> D{1, 0, 0};
  npiv = 0;
  ELIM(3, 1, C.data(), D.data(), 1.0E-6f, ierr, npiv);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(at(C, 3, 1, 1), -4.0f);
  EXPECT_EQ(at(C, 3, 2, 1), -1.0f);  // the old row 3: 4 / -4
  EXPECT_EQ(at(C, 3, 3, 1), -0.25f);  // the old row 1 moved down
}

TEST_F(Kernels, ElimThresholdIsInclusive) {
  const float prag = 1.0E-6f;
  const float below = std::nextafter(prag, 0.0f);
  for (float sign : {1.0f, -1.0f}) {
    std::vector<float> A{sign * prag};
    std::vector<float> B{sign * prag};
    std::int32_t ierr = 9, npiv = 0;
    ELIM(1, 1, A.data(), B.data(), prag, ierr, npiv);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(B[0], 1.0f);

    std::vector<float> A2{sign * below};
    ELIM(1, 1, A2.data(), B.data(), prag, ierr, npiv);
    EXPECT_EQ(ierr, -1);
  }
  // The same at an inner column: the first pivot is tested before step 2.
  auto A = byRows(2, {below, 1, 0, 1});
  std::vector<float> B{1, 1};
  std::int32_t ierr = 0, npiv = 0;
  ELIM(2, 1, A.data(), B.data(), prag, ierr, npiv);
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(at(A, 2, 2, 2), 1.0f);  // nothing was eliminated
  auto A3 = byRows(2, {prag, 1, 0, 1});
  ELIM(2, 1, A3.data(), B.data(), prag, ierr, npiv);
  EXPECT_EQ(ierr, 0);
}

TEST_F(Kernels, ElimSingularStopsAtTheLastPivot) {
  auto A = byRows(2, {1, 2, 2, 4});
  std::vector<float> B{3, 6};
  std::int32_t ierr = 0, npiv = 0;
  ELIM(2, 1, A.data(), B.data(), 1.0E-6f, ierr, npiv);
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(npiv, 1);
  EXPECT_EQ(at(A, 2, 1, 1), 2.0f);
  EXPECT_EQ(at(A, 2, 2, 1), 0.5f);
  EXPECT_EQ(at(A, 2, 2, 2), 0.0f);
  EXPECT_EQ(B[0], 6.0f);  // no back substitution
  EXPECT_EQ(B[1], 0.0f);
}

TEST_F(Kernels, ElimSkipsExactZerosAndCountsInterchanges) {
  // Row 2 has an exact (negative) zero in column 1: it is not touched, so
  // the infinity of row 1 does not turn its entries into NaN.
  const float inf = std::numeric_limits<float>::infinity();
  auto A = byRows(2, {1, inf, -0.0f, 1});
  std::vector<float> B{0, 5};
  std::int32_t ierr = 0, npiv = 0;
  ELIM(2, 1, A.data(), B.data(), 1.0E-6f, ierr, npiv);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(at(A, 2, 2, 2), 1.0f);
  EXPECT_TRUE(std::signbit(at(A, 2, 2, 1)));
  EXPECT_EQ(B[1], 5.0f);

  // A cyclic permutation needs two interchanges; x solves it exactly.
  auto P = byRows(3, {0, 0, 2, 3, 0, 0, 0, 4, 0});
  std::vector<float> b{2, 6, 12};
  npiv = 0;
  ELIM(3, 1, P.data(), b.data(), 1.0E-6f, ierr, npiv);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(npiv, 2);
  EXPECT_EQ(b, (std::vector<float>{2, 3, 1}));
}

// ------------------------------------------------------------------- LU

TEST_F(Kernels, LuFirstColumnChoiceAndUndoneTrials) {
  auto A = byRows(3, {0, 1, 2, 0, 3, 4, 3, 5, 6});
  std::vector<std::int32_t> order(3);
  std::int32_t ierr = 9, swapCount = 0;
  LUDECOMP(A.data(), 3, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(order, (std::vector<std::int32_t>{3, 2, 1}));
  EXPECT_EQ(swapCount, 1);
  EXPECT_EQ(at(A, 3, 1, 1), 3.0f);
  EXPECT_EQ(at(A, 3, 2, 1), 0.0f);
}

TEST_F(Kernels, LuPivotsOnTheWouldBeDiagonal) {
  // Column 2 as stored favours row 3 (6 > 2), but the would-be diagonal
  // elements are 2 - 5 = -3 (row 2) and 6 - 5 = 1 (row 3): row 2 stays.
  auto A = byRows(3, {1, 5, 0, 1, 2, 0, 1, 6, 1});
  std::vector<std::int32_t> order(3);
  std::int32_t ierr = 9, swapCount = 0;
  LUDECOMP(A.data(), 3, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(swapCount, 0);
  EXPECT_EQ(order, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(at(A, 3, 2, 2), -3.0f);

  // Candidates -1 and 1 tie: the upper one stays.  Candidates 1 and -3:
  // the lower row moves up and is counted once.
  auto T = byRows(3, {1, 5, 0, 1, 4, 0, 1, 6, 1});
  swapCount = 0;
  LUDECOMP(T.data(), 3, order.data(), ierr, swapCount);
  EXPECT_EQ(swapCount, 0);
  auto M = byRows(3, {1, 5, 0, 1, 6, 0, 1, 2, 1});
  swapCount = 0;
  LUDECOMP(M.data(), 3, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(swapCount, 1);
  EXPECT_EQ(order, (std::vector<std::int32_t>{1, 3, 2}));
  EXPECT_EQ(at(M, 3, 2, 2), -3.0f);
  EXPECT_EQ(at(M, 3, 2, 1), 1.0f);  // the multiplier travelled with its row
}

TEST_F(Kernels, LuComputeAiiAccumulatesInDouble) {
  // l*u = 1 + 2^-11 + 2^-24 exactly; in single precision the product would
  // lose its last term and the difference would come out as 2^-23.
  const float e = 1.0f + std::ldexp(1.0f, -12);
  auto A = byRows(2, {1, e, e, 1.0f + std::ldexp(1.0f, -11) + std::ldexp(1.0f, -23)});
  float value = 0;
  COMPUTE_A_II(2, A.data(), 2, value);
  EXPECT_EQ(value, std::ldexp(1.0f, -24));
  COMPUTE_A_II(2, A.data(), 1, value);
  EXPECT_EQ(value, 1.0f);
}

TEST_F(Kernels, LuThresholdIsInclusive) {
  const float prag = 1.0E-8f;
  const float below = std::nextafter(prag, 0.0f);
  std::vector<std::int32_t> order(2);
  std::int32_t ierr = 9, swapCount = 0;
  std::vector<float> one{-prag};
  LUDECOMP(one.data(), 1, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, 0);
  std::vector<float> x(1), b{-prag};
  LUSOLVE(one.data(), b.data(), 1, x.data(), order.data());
  EXPECT_EQ(x[0], 1.0f);
  one = {below};
  LUDECOMP(one.data(), 1, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, -1);

  auto A = byRows(2, {1, 0, 0, prag});
  LUDECOMP(A.data(), 2, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, 0);
  A = byRows(2, {1, 0, 0, -below});
  LUDECOMP(A.data(), 2, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, -1);
}

TEST_F(Kernels, LuSingularFailsAtStepTwo) {
  auto A = byRows(2, {1, 2, 2, 4});
  std::vector<std::int32_t> order(2);
  std::int32_t ierr = 0, swapCount = 0;
  LUDECOMP(A.data(), 2, order.data(), ierr, swapCount);
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(swapCount, 1);
  EXPECT_EQ(order, (std::vector<std::int32_t>{2, 1}));
  EXPECT_EQ(at(A, 2, 2, 2), 0.0f);
}

// ------------------------------------------------------------- Cholesky

TEST_F(Kernels, IlocInvertsLoca) {
  for (std::int32_t n : {1, 2, 7, 40}) {
    std::int64_t k = 0;
    for (std::int32_t j = 1; j <= n; ++j) {
      for (std::int32_t i = 1; i <= j; ++i) {
        ++k;
        ASSERT_EQ(LOCA(i, j), k);
        std::int32_t ii = 0, jj = 0;
        ILOC(n, k, ii, jj);
        EXPECT_EQ(ii, i);
        EXPECT_EQ(jj, j);
      }
    }
    std::int32_t ii = 0, jj = 0;
    ILOC(n, k + 1, ii, jj);
    EXPECT_EQ(ii, n + 1);
    ILOC(n, 0, ii, jj);
    EXPECT_EQ(ii, n + 1);
  }
  // Large packed positions (beyond float and 32-bit precision of k).
  const std::int32_t n = 3000000;
  std::int32_t ii = 0, jj = 0;
  ILOC(n, LOCA(2999999, 2999999), ii, jj);
  EXPECT_EQ(ii, 2999999);
  EXPECT_EQ(jj, 2999999);
  ILOC(n, LOCA(1, 2999999), ii, jj);
  EXPECT_EQ(ii, 1);
  EXPECT_EQ(jj, 2999999);
}

TEST_F(Kernels, CholeskyFactorSolveAndProduct) {
  std::vector<float> S{4, 2, 5, 2, 3, 6};
  std::int32_t status = 9;
  SUB_CHOLESKY_S(3, S.data(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(S, (std::vector<float>{2, 1, 2, 1, 1, 2}));
  std::vector<float> b{8, 10, 11};
  FORWARD(3, S.data(), b.data());
  EXPECT_EQ(b, (std::vector<float>{4, 3, 2}));
  BACK(3, S.data(), b.data());
  EXPECT_EQ(b, (std::vector<float>{1, 1, 1}));
  std::vector<float> X(9);
  COMPACT_MUL(3, S.data(), X.data());
  EXPECT_EQ(X, (std::vector<float>{4, 2, 2, 2, 5, 3, 2, 3, 6}));
  EXPECT_TRUE(StdOut().text().empty());
}

TEST_F(Kernels, CholeskyRefusesNonPositivePivots) {
  std::int32_t status = 0;
  std::vector<float> one{9};
  SUB_CHOLESKY_S(1, one.data(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(one[0], 3.0f);
  for (float a : {0.0f, -4.0f}) {
    one = {a};
    SUB_CHOLESKY_S(1, one.data(), status);
    EXPECT_EQ(status, -1);
  }
  // Semidefinite: d is exactly zero in row 2; row 1 is complete.
  std::vector<float> S{1, 1, 1};
  SUB_CHOLESKY_S(2, S.data(), status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(S, (std::vector<float>{1, 1, 1}));
}

}  // namespace
}  // namespace parvela
