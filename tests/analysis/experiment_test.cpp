// The experiment over n: every point is what a real read and run of that
// order gives, measured exactly.
#include <gtest/gtest.h>

#include <cstdio>

#include "../io/recording_platform.h"
#include "analysis/experiment_over_n.h"
#include "exact.h"
#include "io/data_file.h"
#include "io/reader.h"
#include "run/dispatcher.h"

namespace parvela {
namespace {

using namespace testing;

// A data file of the generated matrix of order n with b = A (1, ..., 1)
// written out in full, read and run as "Citeste" and "REZOLVA !" do; the
// solution the run leaves.
std::vector<float> realRun(const TempDir& dir, const char* method, std::int32_t n) {
  const std::vector<float> A = generated("Hilbert", n);
  std::string text = "Hilbert\n" + std::to_string(n) + " 1\n0\n";
  for (float v : onesRhs(n, A)) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g ", v);
    text += buf;
  }
  const std::string path = dir.file("h" + std::to_string(n) + ".dat");
  writeFile(path, text + "\n");
  problem() = ProblemState{};
  INITIALIZEDATA();
  ProblemState& s = problem();
  s.inputSource = InputSource::Generated;
  s.generatorIndex = 1;
  s.methodIndex = methodIndexOf(method);
  if (methodReadsPacked(s.methodIndex)) s.matrixKind = MatrixKind::Symmetric;
  EXPECT_TRUE(InputDataFile().select(path));
  READINPUTFILE();
  EXPECT_TRUE(s.dataRead);
  EXPECT_TRUE(solveProblem(nullptr).written());
  InputDataFile().deselect();
  return {s.B.begin(), s.B.begin() + n};
}

TEST(Experiment, EveryPointIsASingleRunMeasuredExactly) {
  RecordingPlatform platform;
  TempDir dir("experiment");
  for (const char* method : {"LU", "Cholesky"}) {
    SCOPED_TRACE(method);
    ProblemState start = systemState(2, generated("Hilbert", 2), {1, 1}, method);
    start.inputSource = InputSource::Generated;
    start.generatorIndex = 1;
    const Experiment e = sweepOverN(start, 7);
    ASSERT_EQ(e.points.size(), 6u);
    for (const ExperimentPoint& p : e.points) {
      SCOPED_TRACE(p.n);
      const std::vector<float> x = realRun(dir, method, p.n);
      const RationalMatrix A = rational(p.n, generated("Hilbert", p.n));
      const std::vector<float> b = onesRhs(p.n, generated("Hilbert", p.n));
      std::vector<Rational> be;
      for (float v : b) be.push_back(exact(v));
      const double forward = exactForwardError(x, times(*exactInverse(A), be));
      // The reference's own error (about 1e-19) shows in the tiniest errors.
      EXPECT_NEAR(p.forward, forward, 1e-9 * forward + 1e-17);
      EXPECT_NEAR(p.backward / exactBackwardError(A, b, x), 1.0, 1e-9);
    }
  }
  problem() = ProblemState{};
}

TEST(Experiment, OrdersTheConstantsDoNotCoverAreSkipped) {
  // Companion reads n constants: four of them cover n <= 4.
  ProblemState start = systemState(2, {0, 1, 0, 0}, {1, 1}, "Gauss");
  start.inputSource = InputSource::Generated;
  start.generatorIndex = 3;
  start.nc = 4;
  start.C = {-24, 50, -35, 10};
  const Experiment e = sweepOverN(start, 6);
  ASSERT_EQ(e.points.size(), 5u);
  for (const ExperimentPoint& p : e.points) EXPECT_EQ(p.skipped, p.n > 4) << p.n;
  EXPECT_FALSE(experimentState(start, 5));
}

}  // namespace
}  // namespace parvela
