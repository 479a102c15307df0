#include <gtest/gtest.h>

#include "core/norm_choice.h"
#include "core/problem_state.h"

namespace parvela {
namespace {

TEST(NormChoice, TextsAndCodes) {
  EXPECT_EQ(NORMA_CHAR(0), fixedText("Infinit  (Norma liniilor)", 33));
  EXPECT_EQ(NORMA_CHAR(1), fixedText("1  (Norma coloanelor)", 33));
  EXPECT_EQ(NORMA_CHAR(2), fixedText("2  (Norma euclidiana)", 33));
  EXPECT_EQ(NORMA_CHAR(-1), fixedText("Cond(A)*", 33));
  EXPECT_EQ(NORMA_CHAR(5), NORMA_CHAR(0));
  EXPECT_EQ(NORMA_CHAR(2).size(), 33u);

  EXPECT_EQ(NORMA_CONTROL(0), fixedText("Infinit  (linii)", 33));
  EXPECT_EQ(NORMA_CONTROL(1), fixedText("1  (coloane)", 33));
  EXPECT_EQ(NORMA_CONTROL(2), fixedText("2  (euclidiana)", 33));
  EXPECT_EQ(NORMA_CONTROL(-1), fixedText("Cond(A)*", 33));
  EXPECT_EQ(NORMA_CONTROL(3), NORMA_CONTROL(0));

  // No selection gives the same code as the first entry.
  const std::int32_t codes[] = {0, 0, 1, 2, -1, 0};
  for (int sel = 0; sel <= 5; ++sel) EXPECT_EQ(normIndexForSelection(sel), codes[sel]) << sel;
}

}  // namespace
}  // namespace parvela
