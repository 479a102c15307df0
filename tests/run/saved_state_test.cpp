// Long work under a monitor: progress reaches its end for every driver and
// leaves every result as it is; a stop at any moment leaves the data file
// and the problem state exactly as they were.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "../io/recording_platform.h"
#include "core/norm_choice.h"
#include "run/dispatcher.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "run/saved_state.h"
#include "io/data_file.h"
#include "ui/core/controls.h"
#include "ui/core/model_dialog.h"
#include "ui/core/templates.h"

namespace parvela {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;
using testing::writeFile;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records every checkpoint; stops the work at the `at`-th checkpoint of
// stage `stopStage` when one is given.
class Recorder final : public WorkMonitor {
 public:
  std::vector<Progress> seen;
  std::optional<Stage> stopStage;
  int at = 1;
  bool stopped = false;

  void progress(const Progress& p) override {
    seen.push_back(p);
    if (stopStage && p.stage == *stopStage && --at <= 0) stopped = true;
  }
  bool cancelRequested() override { return stopped; }

  std::optional<Progress> last(Stage s) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it)
      if (it->stage == s) return *it;
    return std::nullopt;
  }
};

enum class Driver { Gauss, LU, Cholesky, GaussSeidel, SOR, Norm1, Norm2, NormInf, Spectral };

struct Case {
  Driver driver;
  ProblemKind kind;
};

// A symmetric, diagonally dominant band matrix of order n made by the
// generator, with nb right-hand sides of ones.
std::string bandProblem(int n, int nb) {
  std::string s = "Banda\n" + std::to_string(n) + " " + std::to_string(nb) + "\n3\n4 1 0.5\n";
  for (int k = 0; k < nb; ++k) {
    for (int i = 0; i < n; ++i) s += "1 ";
    s += "\n";
  }
  return s;
}

class Work : public ::testing::Test {
 protected:
  void SetUp() override {
    problem() = ProblemState{};
    INITIALIZEDATA();
    path = dir.file("data.dat");
  }
  void TearDown() override { InputDataFile().deselect(); }

  // Chooses the problem and method as the window would, then reads.
  void prepare(Driver d, ProblemKind kind, int n, int nb = 1) {
    writeFile(path, bandProblem(n, nb));
    problem() = ProblemState{};
    INITIALIZEDATA();
    ASSERT_TRUE(InputDataFile().select(path));
    ProblemState& s = problem();
    s.problemKind = kind;
    s.inputSource = InputSource::Generated;
    s.generatorIndex = 7;
    s.verifyMode = VerifyMode::EachEquation;
    s.printDeterminant = true;
    s.methodChosen = true;
    switch (d) {
      case Driver::Gauss: s.methodIndex = 1; break;
      case Driver::LU: s.methodIndex = 2; break;
      case Driver::Cholesky:
        s.methodIndex = 3;
        s.matrixKind = MatrixKind::Symmetric;
        break;
      case Driver::GaussSeidel:
      case Driver::SOR:
        s.methodIndex = d == Driver::SOR ? 5 : 4;
        s.epsText = fixedText("1E-6", kParamTextLength);
        s.nlimText = fixedText("200", kParamTextLength);
        s.omegaText = fixedText("1.1", kParamTextLength);
        s.printIterations = false;
        break;
      default: {
        s.problemKind = ProblemKind::ConditionNumber;
        // List order: infinity, 1, 2, spectral.
        const int selection = d == Driver::NormInf ? 1 : d == Driver::Norm1 ? 2 : d == Driver::Norm2 ? 3 : 4;
        s.normSelection = selection;
        s.normIndex = normIndexForSelection(selection);
        s.methodIndex = 0;
        break;
      }
    }
    ModelDialog window(kMainDialog);
    SUB_GENERAL(window, kIdRead, kEventChanged);
    ASSERT_TRUE(s.dataRead);
  }

  void run(WorkMonitor* monitor) {
    MonitorScope scope(monitor);
    PARVELAAPPLY(nullptr, kIdSolve, kEventChanged);
  }

  RecordingPlatform platform_;
  TempDir dir{"work"};
  std::string path;
};

TEST_F(Work, ProgressReachesItsEndForEveryDriverAndChangesNoResult) {
  constexpr int n = 24;
  const std::vector<Case> cases = {
      {Driver::Gauss, ProblemKind::System},    {Driver::Gauss, ProblemKind::Inverse},
      {Driver::LU, ProblemKind::System},       {Driver::LU, ProblemKind::Inverse},
      {Driver::Cholesky, ProblemKind::System}, {Driver::GaussSeidel, ProblemKind::System},
      {Driver::SOR, ProblemKind::System},      {Driver::Norm1, ProblemKind::ConditionNumber},
      {Driver::Norm2, ProblemKind::ConditionNumber}, {Driver::NormInf, ProblemKind::ConditionNumber},
      {Driver::Spectral, ProblemKind::ConditionNumber}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.driver) * 10 + static_cast<int>(c.kind));
    prepare(c.driver, c.kind, n, 2);
    run(nullptr);
    const std::string plain = readAll(path);

    prepare(c.driver, c.kind, n, 2);
    Recorder rec;
    run(&rec);
    EXPECT_EQ(readAll(path), plain);  // progress changes nothing
    EXPECT_EQ(lastWorkOutcome(), WorkOutcome::Completed);

    const std::optional<Progress> write = rec.last(Stage::ReportWrite);
    ASSERT_TRUE(write);
    EXPECT_GT(write->total, 0);
    EXPECT_EQ(write->done, write->total);
    // A stage reaches its end: its last report says all of it is done.
    auto reachesEnd = [&](Stage s) {
      const std::optional<Progress> p = rec.last(s);
      ASSERT_TRUE(p) << static_cast<int>(s);
      EXPECT_GT(p->total, 0) << static_cast<int>(s);
      EXPECT_EQ(p->done, p->total) << static_cast<int>(s);
    };
    switch (c.driver) {
      case Driver::Gauss:
        reachesEnd(Stage::Substitution);
        EXPECT_EQ(rec.last(Stage::Elimination)->done, n - 1);
        reachesEnd(Stage::Verification);
        break;
      case Driver::LU:
        reachesEnd(Stage::LuFactorization);
        reachesEnd(Stage::Substitution);
        reachesEnd(Stage::Verification);
        break;
      case Driver::Cholesky:
        reachesEnd(Stage::Cholesky);
        reachesEnd(Stage::Substitution);
        break;
      case Driver::GaussSeidel:
      case Driver::SOR: {
        const std::optional<Progress> it = rec.last(Stage::Iteration);
        ASSERT_TRUE(it);
        EXPECT_EQ(it->total, 200);
        EXPECT_EQ(it->part, 2);  // the second right-hand side came last
        EXPECT_LE(it->measure, 1E-6);  // the tolerance was met
        reachesEnd(Stage::Verification);
        break;
      }
      case Driver::Norm2:
      case Driver::Spectral: {
        EXPECT_EQ(rec.last(Stage::Elimination)->done, n - 1);
        const std::optional<Progress> power = rec.last(Stage::PowerMethod);
        ASSERT_TRUE(power);
        EXPECT_GE(power->part, 3);  // the second spectral radius came last
        EXPECT_EQ(power->total, 1000);
        break;
      }
      default:
        EXPECT_EQ(rec.last(Stage::Elimination)->done, n - 1);
        EXPECT_FALSE(rec.last(Stage::PowerMethod));
        break;
    }
    // Generated at the read, not at the run.
    EXPECT_FALSE(rec.last(Stage::Generating));
  }
}

TEST_F(Work, AStopAtAnyMomentLeavesTheFileAndTheStateAsBefore) {
  constexpr int n = 40;
  struct StopCase {
    Driver driver;
    ProblemKind kind;
    Stage stage;
    int at;
  };
  const std::vector<StopCase> cases = {
      {Driver::Gauss, ProblemKind::System, Stage::Elimination, 1},
      {Driver::Gauss, ProblemKind::Inverse, Stage::Elimination, 20},
      {Driver::Gauss, ProblemKind::Inverse, Stage::Substitution, 1},
      {Driver::Gauss, ProblemKind::System, Stage::Verification, 1},
      {Driver::LU, ProblemKind::System, Stage::LuFactorization, 10},
      {Driver::LU, ProblemKind::Inverse, Stage::Substitution, 1},
      {Driver::Cholesky, ProblemKind::System, Stage::Cholesky, 30},
      {Driver::GaussSeidel, ProblemKind::System, Stage::Iteration, 4},
      {Driver::SOR, ProblemKind::System, Stage::Iteration, 2},
      {Driver::Spectral, ProblemKind::ConditionNumber, Stage::PowerMethod, 3},
      {Driver::Norm2, ProblemKind::ConditionNumber, Stage::PowerMethod, 12},
      {Driver::Gauss, ProblemKind::System, Stage::ReportWrite, 1},
      {Driver::LU, ProblemKind::Inverse, Stage::ReportWrite, 1},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.driver) * 100 + static_cast<int>(c.stage) * 10 + c.at);
    // What two runs write without a stop.
    prepare(c.driver, c.kind, n);
    run(nullptr);
    if (c.driver != Driver::Cholesky) run(nullptr);  // Cholesky consumes its matrix
    const std::string twoRuns = readAll(path);

    // A first run, then a stopped one: nothing changed; then the second
    // run writes what it would have written anyway.
    prepare(c.driver, c.kind, n);
    if (c.driver != Driver::Cholesky) run(nullptr);
    const std::string bytes = readAll(path);
    const std::uint64_t digest = problemDigest();
    const std::size_t messages = platform_.messages.size();
    const std::string out = platform_.out;

    Recorder stop;
    stop.stopStage = c.stage;
    stop.at = c.at;
    run(&stop);
    ASSERT_TRUE(stop.stopped);
    EXPECT_EQ(lastWorkOutcome(), WorkOutcome::Cancelled);
    EXPECT_EQ(readAll(path), bytes);
    EXPECT_EQ(problemDigest(), digest);
    EXPECT_EQ(platform_.messages.size(), messages);  // no box
    EXPECT_EQ(platform_.out, out);                   // no standard output either

    run(nullptr);
    EXPECT_EQ(readAll(path), twoRuns);
  }
}

TEST_F(Work, AStoppedReadLeavesNothingReadAndSaysSo) {
  prepare(Driver::Gauss, ProblemKind::System, 30);
  run(nullptr);
  const std::string bytes = readAll(path);

  Recorder stop;
  stop.stopStage = Stage::Reading;
  ModelDialog window(kMainDialog);
  {
    MonitorScope scope(&stop);
    SUB_GENERAL(window, kIdRead, kEventChanged);
  }
  ASSERT_TRUE(stop.stopped);
  EXPECT_FALSE(problem().dataRead);
  EXPECT_EQ(lastWorkOutcome(), WorkOutcome::Cancelled);
  ASSERT_FALSE(platform_.messages.empty());
  EXPECT_EQ(platform_.messages.back().text, "Citirea datelor a fost oprita.\nCititi din nou datele cu \"Citeste\".");
  EXPECT_FALSE(ENABLE_REZOLVA());

  // A run now is refused as after a failed read, and writes nothing.
  run(nullptr);
  EXPECT_EQ(lastWorkOutcome(), WorkOutcome::Refused);
  EXPECT_EQ(readAll(path), bytes);
}

TEST_F(Work, TheDigestSeesEveryPartOfTheState) {
  prepare(Driver::LU, ProblemKind::System, 8);
  const std::uint64_t base = problemDigest();
  ProblemSnapshot saved = takeProblemSnapshot();
  problem().A[17] += 1.0f;
  EXPECT_NE(problemDigest(), base);
  problem().A[17] -= 1.0f;
  EXPECT_EQ(problemDigest(), base);
  problem().printMatrix = true;
  EXPECT_NE(problemDigest(), base);
  restoreProblemSnapshot(takeProblemSnapshot());
  problem().printMatrix = false;
  run(nullptr);  // LU's interchange count and the file's report flag change
  EXPECT_NE(problemDigest(), base);
  restoreProblemSnapshot(std::move(saved));
  EXPECT_EQ(problemDigest(), base);
}

}  // namespace
}  // namespace parvela
