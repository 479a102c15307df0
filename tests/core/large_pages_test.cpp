#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/large_pages.h"
#include "core/problem_state.h"

namespace parvela {
namespace {

// A matrix made after a larger block was written and freed may get that
// block's memory, whose pages are given back first: the matrix is zero,
// and a block that still holds values keeps them.
TEST(FreshMemory, MatricesAfterALargerFreedBlockAndBlocksInUse) {
  std::vector<float> neighbour(std::size_t{1} << 20, 5.0f);
  { std::vector<float> text(std::size_t{12} << 20, 7.0f); }
  std::vector<float> A;
  ASSERT_TRUE(allocateZeroed(A, std::int64_t{3} << 20));
  EXPECT_EQ(std::count(A.begin(), A.end(), 0.0f), static_cast<std::ptrdiff_t>(A.size()));
  EXPECT_EQ(std::count(neighbour.begin(), neighbour.end(), 5.0f), static_cast<std::ptrdiff_t>(neighbour.size()));

  std::vector<float> kept(std::size_t{1} << 20, 5.0f);
  reserveFresh(kept, std::size_t{4} << 20);
  EXPECT_GE(kept.capacity(), std::size_t{4} << 20);
  ASSERT_EQ(kept.size(), std::size_t{1} << 20);
  EXPECT_EQ(std::count(kept.begin(), kept.end(), 5.0f), static_cast<std::ptrdiff_t>(kept.size()));
}

}  // namespace
}  // namespace parvela
