#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/problem_state.h"
#include "io/generators.h"

namespace parvela {
namespace {

// Generated matrix of order n; element (i, j) 1-based.
struct Generated {
  std::int32_t n;
  std::vector<float> a;
  float operator()(int i, int j) const { return a[(j - 1) * n + (i - 1)]; }
};

Generated generate(std::string_view name, std::int32_t n, std::vector<float> c = {}) {
  Generated g{n, std::vector<float>(static_cast<std::size_t>(n) * n, 99.0f)};  // stale contents
  GEN_A(n, g.a.data(), static_cast<std::int32_t>(c.size()), c.data(), fixedText(name, kNameLength));
  return g;
}

bool allZero(const Generated& g) {
  for (float x : g.a)
    if (x != 0.0f) return false;
  return true;
}

TEST(Generators, HilbertAndLotkin) {
  const Generated h = generate("Hilbert", 3);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(h(i, j), 1.0f / static_cast<float>(i + j - 1)) << i << "," << j;
  EXPECT_EQ(h(3, 3), 0.2f);

  EXPECT_EQ(generate("Lotkin", 1).a, std::vector<float>{1.0f});
  const Generated l = generate("Lotkin", 3);
  for (int j = 1; j <= 3; ++j) EXPECT_EQ(l(1, j), 1.0f);
  for (int i = 2; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(l(i, j), h(i, j));
}

TEST(Generators, WilkinsonMatrices) {
  // The 5 x 5 block in the corner of a larger matrix, zeros around it.
  const Generated w5 = generate("Wilkinson 5", 7, {1.0f});
  const float first[] = {0.6048f, 0.4536f, 0.36288f, 0.3024f, 0.2592f};
  for (int j = 1; j <= 5; ++j) EXPECT_NEAR(w5(1, j), first[j - 1], 1e-6f);
  for (int i = 1; i <= 5; ++i)
    for (int j = 1; j <= 5; ++j) EXPECT_EQ(w5(i, j), 1.8144f / static_cast<float>(i + j + 1));
  for (int k = 1; k <= 7; ++k)
    for (int m = 6; m <= 7; ++m) {
      EXPECT_EQ(w5(k, m), 0.0f);
      EXPECT_EQ(w5(m, k), 0.0f);
    }
  // z * 1.8144 is rounded to single precision before the division.
  const Generated w5z = generate("Wilkinson 5", 5, {3.0f});
  const float scaled = 3.0f * 1.8144f;
  EXPECT_EQ(w5z(2, 4), scaled / 7.0f);

  const Generated w20 = generate("Wilkinson 20", 20, {0.0f});
  double det = 1.0;
  for (int i = 1; i <= 20; ++i) {
    for (int j = 1; j <= 20; ++j) {
      const float expected = i == j ? static_cast<float>(i) : (j == i + 1 ? 20.0f : 0.0f);
      EXPECT_EQ(w20(i, j), expected) << i << "," << j;
    }
    det *= w20(i, i);
  }
  EXPECT_EQ(det, 2432902008176640000.0);  // 20!
  EXPECT_EQ(generate("Wilkinson 20", 20, {1e-10f})(20, 1), 1e-10f);
  EXPECT_EQ(generate("Wilkinson 20", 1, {0.5f}).a, std::vector<float>{0.5f});
}

TEST(Generators, CauchyTakesYFromTheSixthConstant) {
  const Generated c = generate("Cauchy", 5, {1, 3, 5, 8, 7, 2, 4, 6, 10, 9});
  const float x[] = {1, 3, 5, 8, 7}, y[] = {2, 4, 6, 10, 9};
  for (int i = 1; i <= 5; ++i)
    for (int j = 1; j <= 5; ++j) EXPECT_EQ(c(i, j), 1.0f / (x[i - 1] + y[j - 1]));
  EXPECT_EQ(c(1, 1), 1.0f / 3.0f);
  EXPECT_EQ(c(1, 4), 1.0f / 11.0f);
  EXPECT_EQ(c(5, 5), 1.0f / 16.0f);

  // n = 2: X = C(1..2), Y = C(6..7); C(3..5) unused.
  const Generated small = generate("Cauchy", 2, {1, 2, 100, 100, 100, 3, 4});
  EXPECT_EQ(small(1, 1), 0.25f);
  EXPECT_EQ(small(2, 2), 1.0f / 6.0f);
  // Too few constants: nothing is read, A stays zero.
  EXPECT_TRUE(allZero(generate("Cauchy", 5, {1, 3, 5, 8, 7, 2, 4, 6, 10})));
}

TEST(Generators, Companion) {
  const Generated c = generate("Companion", 3, {-6, 11, -6});
  const float rows[3][3] = {{0, 0, 6}, {1, 0, -11}, {0, 1, 6}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(c(i, j), rows[i - 1][j - 1]);
  // A zero coefficient gives +0 in the last column, not -0.
  EXPECT_FALSE(std::signbit(generate("Companion", 2, {0, 1})(1, 2)));
  EXPECT_EQ(generate("Companion", 1, {2.5f}).a, std::vector<float>{-2.5f});
  EXPECT_TRUE(allZero(generate("Companion", 3, {1, 2})));
}

TEST(Generators, BandaConstanta) {
  const Generated b = generate("Banda constanta", 5, {4, 1, 1});
  const float rows[5][5] = {
      {4, 1, 1, 0, 0}, {1, 4, 1, 1, 0}, {1, 1, 4, 1, 1}, {0, 1, 1, 4, 1}, {0, 0, 1, 1, 4}};
  for (int i = 1; i <= 5; ++i)
    for (int j = 1; j <= 5; ++j) EXPECT_EQ(b(i, j), rows[i - 1][j - 1]) << i << "," << j;

  const Generated diag = generate("Banda constanta", 4, {2.5f});
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(diag(i, j), i == j ? 2.5f : 0.0f);

  // nc above n: a full symmetric Toeplitz matrix; constants past C(n) unused.
  const Generated full = generate("Banda constanta", 3, {5, 6, 7, 8, 9});
  const Generated same = generate("Banda constanta", 3, {5, 6, 7, -1, -1});
  EXPECT_EQ(full.a, same.a);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(full(i, j), 5.0f + static_cast<float>(std::abs(i - j)));
}

TEST(Generators, NamesAndLeastConstants) {
  // Plain and padded names both match; other spellings leave A zero.
  Generated plain{2, std::vector<float>(4, 7.0f)};
  GEN_A(2, plain.a.data(), 0, nullptr, "Hilbert");
  EXPECT_EQ(plain(2, 2), 1.0f / 3.0f);
  EXPECT_TRUE(allZero(generate("hilbert", 3)));
  EXPECT_TRUE(allZero(generate(" Hilbert", 3)));
  EXPECT_TRUE(allZero(generate("Wilkinson", 5, {1.0f})));

  EXPECT_EQ(leastConstants("Hilbert", 9), 0);
  EXPECT_EQ(leastConstants("Lotkin", 9), 0);
  EXPECT_EQ(leastConstants("Companion", 9), 9);
  EXPECT_EQ(leastConstants(fixedText("Wilkinson 5", kNameLength), 9), 1);
  EXPECT_EQ(leastConstants("Wilkinson 20", 9), 1);
  EXPECT_EQ(leastConstants("Cauchy", 9), 14);
  EXPECT_EQ(leastConstants("Banda constanta", 9), 1);
  EXPECT_EQ(leastConstants("Gauss", 9), -1);
  EXPECT_EQ(leastConstants("Cauchy", 2147483647), 2147483647);
}

}  // namespace
}  // namespace parvela
