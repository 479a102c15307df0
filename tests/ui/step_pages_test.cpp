// The step view's model and the exports, on private runs: the sweep table
// shows the iterates the report traces with "Iteratii"; every JSON number
// reads back to its bits; the JSON Lines carry the fields scripts rely on;
// the LaTeX compiles.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

#include <unistd.h>

#include "analysis/exact_input.h"
#include "core/norm_choice.h"
#include "io/fortran_io.h"
#include "run/dispatcher.h"
#include "support/recorded_run.h"
#include "ui/core/step_export.h"
#include "ui/core/step_pages.h"

namespace parvela {
namespace {

ProblemState system(std::int32_t method, std::int32_t n, std::int32_t nb, std::vector<float> A, std::vector<float> B) {
  ProblemState s = testing::readState(n, nb);
  s.A = std::move(A);
  s.B = std::move(B);
  s.methodIndex = method;
  s.epsText = fixedText("0.00001", kParamTextLength);
  s.nlimText = fixedText("100", kParamTextLength);
  s.omegaText = fixedText("1.1", kParamTextLength);
  if (methodReadsPacked(method)) {
    s.matrixKind = MatrixKind::Symmetric;
    s.AV.resize(static_cast<std::size_t>(n * (n + 1) / 2));
    for (std::int32_t j = 1; j <= n; ++j)
      for (std::int32_t i = 1; i <= j; ++i) s.AV[packedOffset(i, j)] = s.A[(j - 1) * n + i - 1];
    s.avAllocated = true;
    s.avFromRead = true;
  }
  return s;
}

ProblemState condition(std::int32_t norm, std::vector<float> A) {
  const std::int32_t n = static_cast<std::int32_t>(std::lround(std::sqrt(double(A.size()))));
  std::vector<float> I(A.size(), 0.0f);
  for (std::int32_t i = 0; i < n; ++i) I[i * n + i] = 1.0f;
  ProblemState s = system(0, n, n, std::move(A), std::move(I));
  s.problemKind = ProblemKind::ConditionNumber;
  s.normSelection = norm;
  s.normIndex = normIndexForSelection(norm);
  s.readForSystem = false;
  return s;
}

struct Ran {
  StepSession session;
  std::string report;
};

Ran runSteps(ProblemState s, const std::string& file = "date.dat", std::int32_t number = 1) {
  const ReadSnapshot read = snapshotRead(s);
  std::string report;
  StepRun run = testing::recordedRun(s, &report);
  std::optional<ExactInput> input = exactInputFor(run.start, &read);
  return {StepSession(std::move(run), std::move(input), file, number), report};
}

// 4x4, column 1's largest entry in row 2.
const std::vector<float> kA4 = {1, 4, 2, -3, 2, -2, 5, 1, -1, 1, 3, 2, 3, 0, -1, 4};
const std::vector<float> kSpd3 = {4, 1, 0, 1, 4, 1, 0, 1, 4};

TEST(StepPages, TheSweepTableShowsTheIteratesTheReportTraces) {
  for (std::int32_t method : {4, 5}) {
    ProblemState s = system(method, 3, 2, kSpd3, {5, 6, 5, 1, 2, 3});
    s.printIterations = true;
    const Ran r = runSteps(std::move(s));
    std::istringstream words(r.report);
    std::vector<std::string> tokens;
    for (std::string w; words >> w;) tokens.push_back(w);
    std::size_t at = 0;
    for (std::int32_t rhs = 1; rhs <= 2; ++rhs) {
      SCOPED_TRACE("method " + std::to_string(method) + ", right-hand side " + std::to_string(rhs));
      // The table of the right-hand side's last sweep holds all of them.
      std::size_t last = 0;
      for (std::size_t k = 0; k < r.session.run().steps.size(); ++k)
        if (r.session.run().steps[k].kind == StepKind::Sweep && r.session.run().steps[k].rhs == rhs) last = k;
      const StepGrid g = partTable(r.session, last, false, 1000);
      ASSERT_GT(g.rows, 2);
      // The trace: a header, sweep 0, then per sweep its number, x, max|x - x_ant|.
      while (at < tokens.size() && tokens[at] != "max|x") ++at;
      at += 3 + 1 + 3;  // "max|x - x_ant|", "0" and three zeros
      for (std::int32_t row = 1; row <= g.rows; ++row) {
        ASSERT_LT(at, tokens.size());
        EXPECT_EQ(tokens[at++], g.rowHeads[static_cast<std::size_t>(row - 1)]);
        for (std::int32_t c : {4, 5, 6, 1}) {  // x1..x3, then the change
          std::istringstream printed(formatRecord("(G15.7)", {static_cast<float>(*g.cell(row, c).value)}));
          std::string word;
          printed >> word;
          EXPECT_EQ(tokens[at++], word) << "sweep " << row << ", column " << c;
        }
      }
    }
  }
}

TEST(StepExport, NumbersReadBackToTheirBits) {
  for (const float f : {0.1f, 1.0f / 3.0f, -2.5e-7f, FLT_MAX, FLT_MIN, FLT_TRUE_MIN, 16777217.0f, -0.0f}) {
    const std::string t = jsonNumber(f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(std::strtof(t.c_str(), nullptr)), std::bit_cast<std::uint32_t>(f)) << t;
    EXPECT_LE(t.size(), 16u) << "nine significant digits for a single-precision value: " << t;
  }
  for (const double d : {0.1, 1.0 / 3.0, 1e-300}) {
    const std::string t = jsonNumber(d);
    EXPECT_EQ(std::strtod(t.c_str(), nullptr), d) << t;
  }
  EXPECT_EQ(jsonNumber(std::nan("")), "\"NaN\"");
  EXPECT_EQ(jsonNumber(std::numeric_limits<double>::infinity()), "\"Infinity\"");
  EXPECT_EQ(jsonNumber(-std::numeric_limits<float>::infinity()), "\"-Infinity\"");
}

// The runs the export tests write: every kind of step.
std::vector<Ran> everyKind() {
  std::vector<Ran> runs;
  runs.push_back(runSteps(system(1, 4, 1, kA4, {5, 3, 9, 4}), "a4.dat", 1));
  runs.push_back(runSteps(system(2, 4, 2, kA4, {5, 3, 9, 4, 1, 0, 0, 1}), "a4.dat", 2));
  runs.push_back(runSteps(system(3, 3, 1, kSpd3, {5, 6, 5}), "spd.dat", 1));
  // Cholesky stopping at row 2, LU at step 2 (a singular leading block).
  runs.push_back(runSteps(system(3, 2, 1, {1, 2, 2, 1}, {1, 1}), "np.dat", 1));
  runs.push_back(runSteps(system(2, 3, 1, {1, 2, 4, 2, 4, 8, 3, 1, 2}, {1, 1, 1}), "lu0.dat", 1));
  // Gauss-Seidel after a reordering (a zero on the diagonal).
  runs.push_back(runSteps(system(4, 3, 1, {0, 4, 1, 4, 1, 0, 1, 0, 4}, {5, 5, 5}), "reo.dat", 1));
  runs.push_back(runSteps(condition(4, kSpd3), "cond.dat", 1));
  runs.push_back(runSteps(condition(3, kA4), "cond.dat", 2));
  return runs;
}

TEST(StepExport, OneJsonObjectPerStepWithTheFieldsScriptsReadAndTheExactValues) {
  std::set<std::string> kinds;
  for (const Ran& r : everyKind()) {
    std::ostringstream out;
    writeStepsJson(out, r.session);
    std::istringstream lines(out.str());
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
      ASSERT_LT(count, r.session.run().steps.size());
      const RecordedStep& recorded = r.session.run().steps[count];
      SCOPED_TRACE(line.substr(0, 160));
      EXPECT_EQ(line.front(), '{');
      EXPECT_EQ(line.back(), '}');
      EXPECT_EQ(line.rfind("{\"file\":\"" + r.session.file() + "\",\"run\":" + std::to_string(r.session.number()) +
                               ",\"method\":\"" + r.session.methodLabel() + "\"",
                           0),
                0u);
      const std::size_t k = line.find("\"kind\":\"") + 8;
      kinds.insert(line.substr(k, line.find('"', k) - k));
      EXPECT_NE(line.find("\"step\":" + std::to_string(recorded.step) + ","), std::string::npos);
      EXPECT_EQ(line.find("\"norm\":") != std::string::npos, r.session.run().start.conditionNumber());
      EXPECT_EQ(line.find("\"pass\":") != std::string::npos, recorded.kind == StepKind::Power);
      EXPECT_EQ(line.find("\"rhs\":") != std::string::npos, recorded.rhs > 0);
      if (recorded.kind == StepKind::Elimination) {
        for (const char* f : {"\"candidates\":[", "\"pivotRow\":", "\"interchanged\":", "\"multipliers\":[",
                              "\"skippedRows\":[", "\"A\":[[", "\"B\":[["})
          EXPECT_NE(line.find(f), std::string::npos) << f;
      }
      if (recorded.kind == StepKind::Cholesky) {
        EXPECT_NE(line.find("\"S\":["), std::string::npos);
      }
      if (recorded.kind == StepKind::Sweep) {
        EXPECT_NE(line.find("\"x\":["), std::string::npos);
      }
      if (recorded.kind == StepKind::Breakdown) {
        EXPECT_NE(line.find("\"reason\":\""), std::string::npos);
      }
      // Exact values on every step the replay reached (integer data).
      if (recorded.kind != StepKind::Power) {
        EXPECT_NE(line.find("\"exact\":{\"source\":\"stored\""), std::string::npos);
      }
    }
    EXPECT_EQ(count, r.session.run().steps.size());
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"elimination", "back-substitution", "lu", "forward", "backward", "cholesky",
                                          "reorder", "sweep", "power", "breakdown"}));
}

TEST(StepExport, TheLatexCompiles) {
  std::ostringstream doc;
  writeLatexBegin(doc);
  for (const Ran& r : everyKind()) writeStepsLatex(doc, r.session, true);
  writeLatexEnd(doc);
  EXPECT_NE(doc.str().find("\\begin{bmatrix}"), std::string::npos);
  if (std::system("command -v pdflatex > /dev/null 2>&1") != 0) GTEST_SKIP() << "pdflatex is not installed";
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("parvela-latex-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "pasi.tex") << doc.str();
  const std::string command = "cd '" + dir.string() +
                              "' && pdflatex -interaction=nonstopmode -halt-on-error pasi.tex > pdflatex.log 2>&1";
  const int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << "see " << (dir / "pdflatex.log");
  EXPECT_TRUE(std::filesystem::exists(dir / "pasi.pdf"));
  if (status == 0) std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace parvela
