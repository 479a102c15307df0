#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "condition/elim2.h"
#include "io/fortran_io.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using testing::byRows;
using testing::identity;

constexpr float kEps = 1.0E-8f;

struct Elim2Test : ::testing::Test {
  void SetUp() override { ReportFile().clear(); }
  void TearDown() override { ReportFile().clear(); }
};

TEST_F(Elim2Test, IdentityAndRowExchange) {
  std::vector<float> a = identity(3), b = identity(3);
  std::int32_t status = 99;
  ELIM2(3, 3, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(b, identity(3));
  EXPECT_EQ(ReportFile().text(), "");

  a = byRows(2, {0, 1, 1, 0});
  b = identity(2);
  ELIM2(2, 2, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(b, byRows(2, {0, 1, 1, 0}));
  // The rows of A were exchanged too.
  EXPECT_EQ(a, identity(2));

  a = {5.0f};
  b = {1.0f};
  ELIM2(1, 1, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(b[0], 0.2f);
  EXPECT_EQ(ReportFile().text(), "");
}

TEST_F(Elim2Test, SolvesSeveralRightHandSides) {
  // A = [[2,1,1],[4,3,3],[8,7,9]] with pivoting; X chosen, B = A X.
  std::vector<float> a = byRows(3, {2, 1, 1, 4, 3, 3, 8, 7, 9});
  std::vector<float> b = byRows(3, {4, 3, 1, 10, 7, 3, 24, 15, 9});  // columns x = (1,1,1), (1,1,0), (0,0,1)
  std::int32_t status = 99;
  ELIM2(3, 3, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, 0);
  const std::vector<float> x = byRows(3, {1, 1, 0, 1, 1, 0, 1, 0, 1});
  for (std::size_t p = 0; p < x.size(); ++p) EXPECT_NEAR(b[p], x[p], 1e-5f) << p;
  // The pivot row 8 7 9 went to the top and stays there unchanged.
  EXPECT_EQ(a[0], 8.0f);
  EXPECT_EQ(a[3], 7.0f);
  EXPECT_EQ(a[6], 9.0f);
}

TEST_F(Elim2Test, TiesKeepTheUpperRow) {
  // |a21| = |a11|: no exchange. With an exchange the multiplier would be
  // -1 instead of 1 and the first row of the triangle would read -1 3.
  std::vector<float> a = byRows(2, {1, 2, -1, 3});
  std::vector<float> b = identity(2);
  std::int32_t status = 99;
  ELIM2(2, 2, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(a[0], 1.0f);
  EXPECT_EQ(a[2], 2.0f);
  EXPECT_EQ(a[3], 5.0f);
  EXPECT_EQ(a[1], -1.0f);  // left in place below the diagonal
}

// ELIM2, and the pivot line the condition number's driver writes from its
// status.
void elim2Reported(std::int32_t n, std::int32_t m, float* a, float* b, float eps, std::int32_t& status) {
  const KernelStatus st = ELIM2(n, m, a, b, eps, status);
  if (st.failed) writeInversePivotLine(st.step, st.value, eps);
}

TEST_F(Elim2Test, SingularMatrixReportsTheLastPivot) {
  std::vector<float> a = byRows(2, {1, 2, 2, 4});
  std::vector<float> b = identity(2);
  std::int32_t status = 99;
  elim2Reported(2, 2, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(ReportFile().text(), "\n Linia 2: Pivot =   0.000000     <  1.000E-08\n");
  // Rows exchanged and eliminated, no back substitution.
  EXPECT_EQ(a[0], 2.0f);
  EXPECT_EQ(b, byRows(2, {0, 1, 1, -0.5f}));
}

TEST_F(Elim2Test, ZeroFirstColumnStopsAtOnce) {
  std::vector<float> a = byRows(3, {0, 1, 2, 0, 3, 4, 0, 5, 7});
  const std::vector<float> a0 = a;
  std::vector<float> b = identity(3);
  std::int32_t status = 99;
  elim2Reported(3, 3, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(ReportFile().text(), "\n Linia 1: Pivot =   0.000000     <  1.000E-08\n");
  EXPECT_EQ(a, a0);
  EXPECT_EQ(b, identity(3));
}

TEST_F(Elim2Test, PivotLineLayout) {
  // A pivot at the threshold passes; just below it fails, with its sign.
  std::vector<float> a = {kEps};
  std::vector<float> b = {1.0f};
  std::int32_t status = 99;
  elim2Reported(1, 1, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReportFile().text(), "");

  // Row 3 of a diagonal matrix, pivot -2.5E-9.
  a = byRows(3, {1, 0, 0, 0, 1, 0, 0, 0, -2.5e-9f});
  b = identity(3);
  elim2Reported(3, 3, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(ReportFile().take(), "\n Linia 3: Pivot = -2.5000000E-09 <  1.000E-08\n");

  // Row 12: the row number takes its own width, no leading blanks.
  const int n = 12;
  a = identity(n);
  a[(n - 1) * n + n - 1] = 2.5e-9f;
  b = identity(n);
  elim2Reported(n, n, a.data(), b.data(), kEps, status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(ReportFile().take(), "\n Linia 12: Pivot =  2.5000000E-09 <  1.000E-08\n");
}

}  // namespace
}  // namespace parvela
