#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "condition/norms.h"

namespace parvela {
namespace {

TEST(Norms, RowAndColumnSums) {
  // [[1, -2], [3, 4]] column-major.
  const std::vector<float> a = {1.0f, 3.0f, -2.0f, 4.0f};
  EXPECT_EQ(NORM_INF(2, a.data()), 7.0f);
  EXPECT_EQ(NORM1(2, a.data()), 6.0f);

  // Rows 9.5, 0, 10.25; columns 9, 0.75, 10: the largest sums come last.
  const std::vector<float> b = {-9.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.25f, 0.0f, 0.0f, -10.0f};
  EXPECT_EQ(NORM_INF(3, b.data()), 10.25f);
  EXPECT_EQ(NORM1(3, b.data()), 10.0f);
  EXPECT_EQ(NORM_INF(3, std::vector<float>(9, 0.0f).data()), 0.0f);
  EXPECT_EQ(NORM1(3, std::vector<float>(9, -0.0f).data()), 0.0f);
  EXPECT_EQ(NORM_INF(0, nullptr), 0.0f);
  EXPECT_EQ(NORM1(0, nullptr), 0.0f);
}

TEST(Norms, SumsRunInIndexOrderInSinglePrecision) {
  // 1 + 2^-24 + 2^-24 is 1 in single precision when summed from the left,
  // 1 + 2^-23 when the small terms come first.
  const float tiny = std::ldexp(1.0f, -24);
  const std::vector<float> rows = {1.0f, 0.0f, 0.0f, tiny, 0.0f, 0.0f, tiny, 0.0f, 0.0f};
  EXPECT_EQ(NORM_INF(3, rows.data()), 1.0f);
  const std::vector<float> cols = {1.0f, tiny, tiny, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  EXPECT_EQ(NORM1(3, cols.data()), 1.0f);
  const std::vector<float> colsLate = {tiny, tiny, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  EXPECT_EQ(NORM1(3, colsLate.data()), 1.0f + 2.0f * tiny);
}

TEST(Norms, ModulusIsFormedInDoublePrecision) {
  EXPECT_EQ(modulus({3.0f, 4.0f}), 5.0f);
  EXPECT_EQ(modulus({-3.0f, -4.0f}), 5.0f);
  // Squares beyond the single-precision range still give a finite modulus.
  EXPECT_EQ(modulus({3.0e30f, 4.0e30f}), 5.0e30f);
  EXPECT_EQ(modulus({1.0e-30f, 0.0f}), 1.0e-30f);
  EXPECT_TRUE(std::isnan(modulus({std::nanf(""), 0.0f})));
}

TEST(Norms, VectorLength) {
  for (int n : {1, 2, 3, 10}) {
    const std::vector<Complex> v(n, Complex{1.0f, 1.0f});
    EXPECT_EQ(VECTOR_NORM2(n, v.data()), std::sqrt(2.0f * n)) << n;
  }
  const std::vector<Complex> w = {{3.0f, 0.0f}, {0.0f, -4.0f}};
  EXPECT_EQ(VECTOR_NORM2(2, w.data()), 5.0f);
  EXPECT_EQ(VECTOR_NORM2(0, nullptr), 0.0f);
}

TEST(Norms, MaxIndexTakesTheFirstOfEqualModuli) {
  const std::vector<Complex> tie = {{3.0f, 4.0f}, {0.0f, 5.0f}, {-5.0f, 0.0f}};
  EXPECT_EQ(MAXINDEX(3, tie.data()), 1);
  const std::vector<Complex> late = {{1.0f, 0.0f}, {0.0f, -2.0f}, {2.0f, 0.0f}, {0.5f, 0.5f}};
  EXPECT_EQ(MAXINDEX(4, late.data()), 2);
  const std::vector<Complex> last = {{0.0f, 0.0f}, {0.0f, 0.0f}, {0.0f, 1.0e-30f}};
  EXPECT_EQ(MAXINDEX(3, last.data()), 3);
  const std::vector<Complex> zeros(4);
  EXPECT_EQ(MAXINDEX(4, zeros.data()), 1);
  EXPECT_EQ(MAXINDEX(0, nullptr), 1);
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<Complex> infinite = {{1.0f, 0.0f}, {-inf, 0.0f}};
  EXPECT_EQ(MAXINDEX(2, infinite.data()), 2);
  // A NaN compares equal to nothing: the largest number wins, all-NaN gives 1.
  const float nan = std::nanf("");
  const std::vector<Complex> someNan = {{nan, 0.0f}, {2.0f, 0.0f}};
  EXPECT_EQ(MAXINDEX(2, someNan.data()), 2);
  const std::vector<Complex> allNan(3, Complex{nan, nan});
  EXPECT_EQ(MAXINDEX(3, allNan.data()), 1);
}

}  // namespace
}  // namespace parvela
