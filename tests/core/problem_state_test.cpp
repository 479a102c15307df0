#include <gtest/gtest.h>

#include "core/problem_state.h"

namespace parvela {
namespace {

TEST(ProblemState, StartValues) {
  problem() = ProblemState{};
  INITIALIZEDATA();
  const ProblemState& s = problem();
  EXPECT_EQ(s.problemKind, ProblemKind::System);
  EXPECT_EQ(s.matrixKind, MatrixKind::General);
  EXPECT_EQ(s.inputSource, InputSource::DataFile);
  EXPECT_EQ(s.verifyMode, VerifyMode::MaxDifferences);
  EXPECT_FALSE(s.invertElements || s.printMatrix || s.printDeterminant || s.printIterations);
  EXPECT_EQ(s.methodIndex, 0);
  EXPECT_EQ(s.generatorIndex, 0);
  EXPECT_EQ(s.normSelection, 0);
  EXPECT_EQ(s.normIndex, 0);
  EXPECT_EQ(s.epsText, "0.        ");
  EXPECT_EQ(s.nlimText, "0         ");
  EXPECT_EQ(s.omegaText, "0.        ");
  EXPECT_EQ(s.eps, 0.0f);
  EXPECT_EQ(s.nlim, 0);
  EXPECT_EQ(s.omega, 0.0f);
  EXPECT_EQ(s.METODA[4].size(), kNameLength);
  EXPECT_EQ(methodName(4), "Gauss-Seidel");
  EXPECT_EQ(generatorName(7), "Banda constanta");
  EXPECT_EQ(methodName(0), "");
  EXPECT_EQ(generatorName(0), "");
  EXPECT_EQ(s.genHelpFileName, "Help-Generare.txt");
}

TEST(ProblemState, PackedPositionsAndAllocation) {
  EXPECT_EQ(LOCA(1, 1), 1);
  EXPECT_EQ(LOCA(1, 2), 2);
  EXPECT_EQ(LOCA(2, 2), 3);
  EXPECT_EQ(LOCA(1, 3), 4);
  EXPECT_EQ(LOCA(3, 3), 6);
  std::vector<float> v{1.0f, 2.0f};
  ASSERT_TRUE(allocateZeroed(v, 3));
  EXPECT_EQ(v, (std::vector<float>{0.0f, 0.0f, 0.0f}));
  EXPECT_FALSE(allocateZeroed(v, std::int64_t{50000} * 50000));  // beyond 32-bit positions
  EXPECT_TRUE(v.empty());
}

}  // namespace
}  // namespace parvela
