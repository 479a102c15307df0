#include <gtest/gtest.h>

#include <limits>

#include "io/report.h"

namespace parvela {
namespace {

TEST(Width, DigitsThroughSinglePrecisionLogarithm) {
  EXPECT_EQ(WIDTH(0), 1);
  EXPECT_EQ(WIDTH(7), 1);
  EXPECT_EQ(WIDTH(10), 2);
  EXPECT_EQ(WIDTH(999), 3);
  EXPECT_EQ(WIDTH(1000), 4);
  EXPECT_EQ(WIDTH(-1), 2);
  EXPECT_EQ(WIDTH(-10), 3);
  EXPECT_EQ(WIDTH(999999), 6);
  EXPECT_EQ(WIDTH(-999999), 7);
  EXPECT_EQ(WIDTH(1000000), 7);
  // Large magnitudes round up to the next power of ten as single-precision
  // values and count one digit more.
  EXPECT_EQ(WIDTH(9999999), 8);
  EXPECT_EQ(WIDTH(99999999), 9);
  EXPECT_EQ(WIDTH(std::numeric_limits<std::int32_t>::max()), 10);
  EXPECT_EQ(WIDTH(std::numeric_limits<std::int32_t>::min()), 11);
}

}  // namespace
}  // namespace parvela
