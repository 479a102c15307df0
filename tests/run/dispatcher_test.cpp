// "REZOLVA !": what a run refuses before it writes, and where its report goes.
#include <gtest/gtest.h>

#include "../io/recording_platform.h"
#include "run/dispatcher.h"
#include "core/problem_state.h"
#include "io/data_file.h"
#include "io/reader.h"
#include "core/progress.h"

namespace parvela {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;
using testing::writeFile;

const char* kSystem = "Sistem de proba\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Dispatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    problem() = ProblemState{};
    INITIALIZEDATA();
    path = dir.file("data.dat");
    writeFile(path, kSystem);
    ASSERT_TRUE(InputDataFile().select(path));
  }
  void TearDown() override { InputDataFile().deselect(); }
  void read() {
    READINPUTFILE();
    ASSERT_TRUE(problem().dataRead);
  }

  RecordingPlatform platform_;
  TempDir dir{"dispatch"};
  std::string path;
};

TEST_F(Dispatcher, ARunWithoutAMethodIsRefusedBeforeWriting) {
  read();
  problem().problemKind = ProblemKind::Inverse;  // back from "Numar Conditie": no method
  PARVELAAPPLY(nullptr, 30002, 0);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Eroare");
  EXPECT_EQ(readAll(path), kSystem);
}

TEST_F(Dispatcher, DataChangedSinceTheReadAreNeverOverwritten) {
  read();
  problem().methodIndex = 1;
  const std::string edited = "Sistem de proba\n3 1\n4 1 0\n1 9 1\n0 1 4\n5 6 5\n";
  writeFile(path, edited);
  PARVELAAPPLY(nullptr, 30002, 0);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Error");
  EXPECT_EQ(platform_.messages[0].icon, IconKind::Error);
  EXPECT_EQ(readAll(path), edited);
}

TEST_F(Dispatcher, FirstRunReplacesTheOldReportLaterRunsAppend) {
  writeFile(path, std::string(kSystem) + "old report\nmore of it\n");
  read();
  problem().methodIndex = 1;
  PARVELAAPPLY(nullptr, 30002, 0);
  const std::string once = readAll(path);
  ASSERT_EQ(once.rfind(kSystem, 0), 0u);
  EXPECT_EQ(once.find("old report"), std::string::npos);
  const std::string report = once.substr(std::string(kSystem).size());
  EXPECT_EQ(report.rfind("\nProblema: Sistem liniar\n", 0), 0u);

  PARVELAAPPLY(nullptr, 30002, 0);
  const std::string twice = readAll(path);
  ASSERT_EQ(twice.rfind(once, 0), 0u);
  EXPECT_EQ(twice.substr(once.size()).rfind("\nProblema: Sistem liniar\n", 0), 0u);
  EXPECT_TRUE(platform_.messages.empty());
}

// An analysis starts from the arrays as the run found them: the read's for
// the first run, the first run's results for the second.
TEST_F(Dispatcher, TheLastRunsStartingStateIsKeptUntilTheNextRunBegins) {
  read();
  problem().methodIndex = 1;
  const std::vector<float> readA = problem().A, readB = problem().B;
  PARVELAAPPLY(nullptr, 30002, 0);
  std::optional<ProblemState> start = lastRunStartingState();
  ASSERT_TRUE(start);
  EXPECT_EQ(start->A, readA);
  EXPECT_EQ(start->B, readB);
  const std::vector<float> afterFirst = problem().B;
  ASSERT_NE(afterFirst, readB);
  PARVELAAPPLY(nullptr, 30002, 0);
  start = lastRunStartingState();
  ASSERT_TRUE(start);
  EXPECT_EQ(start->B, afterFirst);

  // A run stopped on its way writes nothing and leaves no starting state.
  struct Stop final : WorkMonitor {
    void progress(const Progress&) override {}
    bool cancelRequested() override { return true; }
  } stop;
  {
    MonitorScope scope(&stop);
    EXPECT_EQ(solveProblem(nullptr).status, RunStatus::Cancelled);
  }
  EXPECT_FALSE(lastRunStartingState());
}

TEST_F(Dispatcher, ParameterTextsAreReadOnlyForTheIterativeMethods) {
  ProblemState& s = problem();
  s.epsText = fixedText("1e-3", kParamTextLength);
  s.nlimText = fixedText("25", kParamTextLength);
  s.omegaText = fixedText("1.25", kParamTextLength);
  s.methodIndex = 2;
  EXPECT_TRUE(READ_EPSNLIMOMEGA(nullptr, 0, 0));
  EXPECT_EQ(s.eps, 0.0f);
  EXPECT_EQ(s.nlim, 0);

  s.methodIndex = 4;  // Gauss-Seidel: no omega
  EXPECT_TRUE(READ_EPSNLIMOMEGA(nullptr, 0, 0));
  EXPECT_EQ(s.eps, 1e-3f);
  EXPECT_EQ(s.nlim, 25);
  EXPECT_EQ(s.omega, 0.0f);

  s.methodIndex = 5;
  EXPECT_TRUE(READ_EPSNLIMOMEGA(nullptr, 0, 0));
  EXPECT_EQ(s.omega, 1.25f);
  EXPECT_EQ(s.oneMinusOmega, 1.0f - 1.25f);

  // Not a number of its kind: zero, and the run will say so.
  s.nlimText = fixedText("2.5", kParamTextLength);
  s.omegaText = fixedText("", kParamTextLength);
  EXPECT_FALSE(READ_EPSNLIMOMEGA(nullptr, 0, 0));
  EXPECT_EQ(s.nlim, 0);
  EXPECT_EQ(s.omega, 0.0f);
  EXPECT_EQ(s.oneMinusOmega, 1.0f);
}

TEST_F(Dispatcher, ANegativeToleranceOrFactorPassesTheZeroTest) {
  read();
  ProblemState& s = problem();
  s.methodIndex = 5;
  s.epsText = fixedText("-1e-4", kParamTextLength);
  s.nlimText = fixedText("3", kParamTextLength);
  s.omegaText = fixedText("-0.5", kParamTextLength);
  PARVELAAPPLY(nullptr, 30002, 0);
  EXPECT_TRUE(platform_.messages.empty());
  const std::string file = readAll(path);
  EXPECT_NE(file.find("Toleranta: eps = -1.000E-04;  Numar limita de iteratii: nlim =3\n"
                      "Omega =-5.000E-01\n"),
            std::string::npos);
}

}  // namespace
}  // namespace parvela

namespace parvela {
namespace {

// Arrays that do not hold what the chosen driver needs never reach it: the
// run is refused before the header is written, for every method.
TEST_F(Dispatcher, NoDriverStartsOnArraysThatDoNotFit) {
  const char* kReadAgain =
      "Datele citite nu corespund alegerilor facute.\nCititi din nou datele cu \"Citeste\".";
  for (int method = 1; method <= 6; ++method) {
    SCOPED_TRACE(method);
    problem() = ProblemState{};
    INITIALIZEDATA();
    problem().methodIndex = method == 3 ? 3 : 1;
    problem().matrixKind = MatrixKind::Symmetric;
    read();
    ProblemState& s = problem();
    s.methodIndex = method <= 5 ? method : 0;
    if (method == 6) {
      s.problemKind = ProblemKind::ConditionNumber;
      s.readForSystem = false;  // as after a read for the identity
      s.nb = s.n;
      s.normIndex = 0;
    }
    s.epsText = "0.001";
    s.nlimText = "10";
    s.omegaText = "1.1";
    s.B.resize(2);  // shorter than n * nb
    platform_.messages.clear();
    PARVELAAPPLY(nullptr, 30002, 0);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text, kReadAgain);
    EXPECT_EQ(platform_.messages[0].caption, "Info");
    EXPECT_EQ(readAll(path), kSystem);
  }
}

}  // namespace
}  // namespace parvela
