// Runs from an independent implementation: the data loaded as the reader
// leaves them, the driver run, and everything after the header compared byte for byte
// with the recorded report (and the standard output, where there is one).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/problem_state.h"
#include "direct/cholesky.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "io/fortran_io.h"

namespace parvela {
namespace {

const std::string kDir = std::string(PARVELA_SOURCE_DIR) + "/tests/direct/reference/";

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Loads the data as the reader leaves them for the chosen problem, matrix
// kind and method (these files hold plain numbers after the title line).
void load(const std::string& data) {
  ProblemState& ps = problem();
  std::istringstream in(data.substr(data.find('\n') + 1));
  in >> ps.n >> ps.nb;
  const std::size_t n = static_cast<std::size_t>(ps.n);
  ps.A.assign(n * n, 0.0f);
  if (ps.matrixKind == MatrixKind::General) {
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = 0; j < n; ++j) in >> ps.A[j * n + i];
  } else {
    ps.AV.assign(n * (n + 1) / 2, 0.0f);
    ps.avAllocated = true;
    for (std::size_t i = 1; i <= n; ++i)
      for (std::size_t j = i; j <= n; ++j) in >> ps.AV[LOCA(i, j) - 1];
  }
  if (ps.problemKind == ProblemKind::System) {
    ps.B.assign(n * ps.nb, 0.0f);
    for (float& b : ps.B) in >> b;
  } else {
    ps.nb = ps.n;
    ps.B.assign(n * n, 0.0f);
    for (std::size_t i = 0; i < n; ++i) ps.B[i * n + i] = 1.0f;
  }
  ps.dataRead = !in.fail();
}

// The report without its header (which ends with the method line).
std::string afterHeader(const std::string& report) {
  const std::size_t method = report.find("\nMetoda: ");
  if (method == std::string::npos) return report;
  return report.substr(report.find('\n', method + 1) + 1);
}

struct RecordedRun {
  const char* name;
  ProblemKind problem;
  MatrixKind matrix;
  std::int32_t method;
  bool printMatrix, determinant;
  VerifyMode verify;
  std::function<void()> driver;
  // Lines where the recorded run is not what single-precision arithmetic
  // in the given order produces: (recorded, correct).
  std::vector<std::pair<std::string, std::string>> corrections = {};
};

class ReferenceRuns : public ::testing::TestWithParam<RecordedRun> {};

TEST_P(ReferenceRuns, ReportAfterTheHeaderMatches) {
  const RecordedRun& run = GetParam();
  problem() = ProblemState{};
  INITIALIZEDATA();
  ProblemState& ps = problem();
  ps.problemKind = run.problem;
  ps.matrixKind = run.matrix;
  ps.methodIndex = run.method;
  ps.methodChosen = true;
  ps.printMatrix = run.printMatrix;
  ps.printDeterminant = run.determinant;
  ps.verifyMode = run.verify;

  load(slurp(kDir + run.name + ".dat"));
  ASSERT_TRUE(ps.dataRead);
  ReportFile().clear();
  StdOut().clear();

  run.driver();
  std::string expected = afterHeader(slurp(kDir + run.name + ".report"));
  for (const auto& [recorded, correct] : run.corrections) {
    const std::size_t at = expected.find(recorded);
    ASSERT_NE(at, std::string::npos) << recorded;
    expected.replace(at, recorded.size(), correct);
  }
  EXPECT_EQ(ReportFile().take(), expected);
  EXPECT_EQ(StdOut().take(), slurp(kDir + run.name + ".stdout"));
}

INSTANTIATE_TEST_SUITE_P(
    Direct, ReferenceRuns,
    ::testing::Values(
        // Second solution, x(3) = -m / u(3,3) with m = 0.49999979 and
        // u(3,3) = -0.49999982: 0.99999994, which G15.7 shows as 0.9999999.
        // The Fortran transcription of the cross-check gives the same.
        RecordedRun{"gauss_full", ProblemKind::System, MatrixKind::General, 1, true, true, VerifyMode::EachEquation,
                    GAUSS,
                    {{" x(2) =  -0.6666665    \n x(3) =    1.000000    \n",
                      " x(2) =  -0.6666665    \n x(3) =   0.9999999    \n"}}},
        RecordedRun{"gauss_inverse", ProblemKind::Inverse, MatrixKind::General, 1, false, true, VerifyMode::EachEquation,
            GAUSS},
        RecordedRun{"gauss_singular", ProblemKind::System, MatrixKind::General, 1, true, false,
            VerifyMode::MaxDifferences, GAUSS},
        RecordedRun{"lu_full", ProblemKind::System, MatrixKind::General, 2, true, true, VerifyMode::EachEquation, LU},
        RecordedRun{"chol_full", ProblemKind::System, MatrixKind::Symmetric, 3, true, true, VerifyMode::EachEquation,
            CHOLESKY_S}),
    [](const ::testing::TestParamInfo<RecordedRun>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace parvela
