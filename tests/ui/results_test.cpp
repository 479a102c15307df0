// What the window keeps of a run: the trace recorder, the outcome from the
// run's result, the runs in a data file, paged reading of a large file, the
// notices and the CSV data.
#include <cmath>
#include <sstream>

#include "run/dispatcher.h"
#include "ui/core/notices.h"
#include "ui/core/outcome.h"
#include "ui/core/paged_file.h"
#include "ui/core/report_index.h"
#include "ui/core/run_capture.h"
#include "ui/core/run_record.h"
#include "ui/core/run_trace.h"
#include "ui_test_support.h"

namespace parvela::test {
namespace {

// ---------------------------------------------------------------------------
// Trace recorder

struct CountingListener : StepListener {
  int seen = 0;
  void step(const StepEvent&) override { ++seen; }
};

StepEvent event(StepKind kind, std::int32_t step, double value, std::int32_t part = 0) {
  StepEvent e;
  e.kind = kind;
  e.step = step;
  e.rhs = part;
  e.pass = part;
  e.measure = value;
  e.pivot = static_cast<float>(value);
  e.growth = std::nan("");
  return e;
}

TEST(TraceRecorder, KeepsCurvesPerPartAndOnlyTheFirstFactorizationsPivots) {
  CountingListener next;
  TraceRecorder rec(&next);
  {
    StepScope scope(&rec);
    publishStep(event(StepKind::Sweep, 1, 0.5, 1));
    publishStep(event(StepKind::Sweep, 2, 0.25, 1));
    publishStep(event(StepKind::Sweep, 1, 0.75, 2));
    publishStep(event(StepKind::Power, 1, 1e-2, 1));
    publishStep(event(StepKind::Power, 1, 1e-3, 3));
    publishStep(event(StepKind::Lu, 1, 4.0));
    publishStep(event(StepKind::Lu, 2, -3.75));
    // A later elimination in the same run (the inverse) is not mixed in.
    publishStep(event(StepKind::Elimination, 1, 9.0));
    publishStep(event(StepKind::Lu, 1, 7.0));
    publishStep(event(StepKind::Forward, 1, 2.0, 1));
  }
  EXPECT_EQ(next.seen, 10) << "every event is passed on";
  const RunTrace& t = rec.trace();
  ASSERT_EQ(t.sweeps.size(), 2u);
  ASSERT_NE(t.sweepCurve(1), nullptr);
  ASSERT_EQ(t.sweepCurve(1)->points.size(), 2u);
  EXPECT_EQ(t.sweepCurve(1)->points[1].step, 2);
  EXPECT_EQ(t.sweepCurve(1)->points[1].value, 0.25);
  EXPECT_EQ(t.sweepCurve(2)->points.at(0).value, 0.75);
  ASSERT_EQ(t.power.size(), 2u);
  EXPECT_EQ(t.powerCurve(3)->points.at(0).value, 1e-3);
  EXPECT_EQ(t.powerCurve(2), nullptr);
  ASSERT_EQ(t.pivots.size(), 2u);
  EXPECT_EQ(t.pivotStage, Stage::LuFactorization);
  EXPECT_EQ(t.pivots[1].value, -3.75);
}

TEST(TraceRecorder, KeepsTheLastPointOfALongRun) {
  TraceRecorder rec;
  StepScope scope(&rec);
  const std::int32_t many = static_cast<std::int32_t>(RunTrace::kMaxPoints) + 10;
  for (std::int32_t it = 1; it <= many; ++it) publishStep(event(StepKind::Sweep, it, 1.0 / it, 1));
  const TraceCurve& c = *rec.trace().sweepCurve(1);
  EXPECT_EQ(c.points.size(), RunTrace::kMaxPoints);
  EXPECT_TRUE(c.truncated);
  EXPECT_EQ(c.points.back().step, many);
}

// ---------------------------------------------------------------------------
// The outcome line from a run's result

RunResult written(MethodOutcome outcome = {}) {
  RunResult r;
  r.status = RunStatus::Written;
  r.outcome = std::move(outcome);
  return r;
}

TEST(Outcome, KindFromTheResultAndTheLinesShown) {
  const std::string out =
      "\n Toleranta atinsa.\n Numar iteratii: 12\n\n\n Numar de iteratii depasit.\n\n"
      "\n Divergenta\n\n\n Iteratie stationara\n\n";
  MethodOutcome iterated;
  iterated.sweeps = {{Verdict::Tolerance, 12, 0, 0}, {Verdict::Limit, 100, 0, 0},
                     {Verdict::Divergence, 3, 0, 0}, {Verdict::Stationary, 4, 0, 0}};
  const Outcome o = makeOutcome(written(iterated), out, {});
  EXPECT_EQ(o.kind, Outcome::Kind::Breakdown);
  EXPECT_EQ(o.lines, (std::vector<std::string>{" Toleranta atinsa.", " Numar iteratii: 12",
                                               " Numar de iteratii depasit.", " Divergenta",
                                               " Iteratie stationara"}));
  iterated.sweeps.resize(1);
  EXPECT_EQ(makeOutcome(written(iterated), out, {}).kind, Outcome::Kind::Done);
  EXPECT_EQ(makeOutcome(written(), " Numarul de conditie =   747.9979\r\n", {}).kind, Outcome::Kind::Done);
  MethodOutcome stopped;
  stopped.breakdown = Breakdown{BreakdownKind::SmallPivot, 2, 0.0f, 1.0E-6f};
  EXPECT_EQ(makeOutcome(written(stopped), "\n* Pivot <1.00E-06 !\n", {}).kind, Outcome::Kind::Breakdown);

  RunResult refusedRun;
  refusedRun.refusal = Refusal::MissingParameters;
  const Outcome refused = makeOutcome(refusedRun, "", {{"Introdu EPS si/sau NLIM", "Eroare"}});
  EXPECT_EQ(refused.kind, Outcome::Kind::Refused);
  EXPECT_EQ(refused.lines, std::vector<std::string>{"Introdu EPS si/sau NLIM"});
  RunResult cancelled;
  cancelled.status = RunStatus::Cancelled;
  EXPECT_EQ(makeOutcome(cancelled, "x\n", {}).kind, Outcome::Kind::Cancelled);
  EXPECT_TRUE(makeOutcome(cancelled, "x\n", {}).lines.empty());
}

// ---------------------------------------------------------------------------
// Paged file

class PagedFileTest : public ::testing::Test {
 protected:
  std::filesystem::path path_ = std::filesystem::temp_directory_path() /
                                ("parvela_paged_" + std::to_string(::getpid()) + ".txt");
  void TearDown() override { std::filesystem::remove(path_); }
};

TEST_F(PagedFileTest, LinesKeepTheirBlanksAcrossBlocksAndLineEnds) {
  // Lines that straddle the cache blocks, CR LF and LF ends, no final end.
  std::string text;
  std::vector<std::string> expect;
  for (int i = 0; i < 3000; ++i) {
    std::string l = "linia " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), ' ');
    expect.push_back(l);
    text += l + (i % 3 == 0 ? "\r\n" : "\n");
  }
  text += "ultima  ";
  expect.push_back("ultima  ");
  writeBytes(path_, text);
  PagedFile f;
  ASSERT_TRUE(f.open(path_.string()));
  ASSERT_EQ(f.lineCount(), expect.size());
  EXPECT_EQ(f.size(), text.size());
  for (std::size_t i = 0; i < expect.size(); i += 7) ASSERT_EQ(f.line(i), expect[i]) << i;
  EXPECT_EQ(f.line(expect.size() - 1), "ultima  ");
  EXPECT_EQ(f.bytes(100, 200000), text.substr(100, 200000 - 100));
  EXPECT_EQ(f.lineAt(f.lineStart(1234) + 3), 1234u);

  // An appended report is seen after refresh().
  {
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << "\nnou\n";
  }
  EXPECT_TRUE(f.refresh());
  EXPECT_EQ(f.line(f.lineCount() - 1), "nou");
  EXPECT_FALSE(f.refresh());
}

TEST_F(PagedFileTest, FindsForwardAndBackwardAcrossWindowSeams) {
  std::string text(3 << 20, 'a');
  // Matches at a window seam of the forward search and deep inside.
  const std::size_t a = (1 << 20) - 2, b = (5 << 19) + 7;
  text.replace(a, 5, "Pivot");
  text.replace(b, 5, "PIVOT");
  writeBytes(path_, text);
  PagedFile f;
  ASSERT_TRUE(f.open(path_.string()));
  auto m = f.find("Pivot", 0, true, true);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->offset, a);
  m = f.find("pivot", a + 1, true, false);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->offset, b);
  EXPECT_FALSE(f.find("pivot", b + 1, true, false));
  EXPECT_FALSE(f.find("pivot", 0, true, true)) << "case counts when asked";
  m = f.find("pivot", f.size(), false, false);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->offset, b);
  m = f.find("pivot", b, false, false);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->offset, a);
  EXPECT_FALSE(f.find("pivot", a, false, false));
}

// ---------------------------------------------------------------------------
// Runs, notices and the index of reports in the data file

class RunsTest : public MainWindowTest {
 protected:
  void readFile(const std::string& bytes) {
    writeBytes(dir_ / "p.dat", bytes);
    platform_.answers.push_back((dir_ / "p.dat").string());
    ASSERT_TRUE(d().click(kIdSelect));
    ASSERT_TRUE(d().click(kIdRead));
    ASSERT_TRUE(s().dataRead);
    rules_.afterRead(s(), true);
  }
  void chooseMethod(int entry) { ASSERT_TRUE(d().select(kIdMethodList, entry)); }
  void setIteration(const char* eps, const char* nlim, const char* omega = nullptr) {
    ASSERT_TRUE(d().typeText(kIdEps, eps));
    ASSERT_TRUE(d().typeText(kIdNlim, nlim));
    if (omega) {
      ASSERT_TRUE(d().typeText(kIdOmega, omega));
    }
  }
  // One press of "REZOLVA !" with the recorder installed, as the window does.
  RunRecord run() {
    TraceRecorder rec;
    platform_.out.clear();
    {
      StepScope scope(&rec);
      EXPECT_TRUE(d().click(kIdSolve));
    }
    rules_.afterRun(s());
    return makeRunRecord(lastRunResult(), rec.take());
  }
  static constexpr const char* kSistem3 = "Sistem de proba\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";
  NoticeRules rules_;
};

TEST_F(RunsTest, NoticeAfterARunThatChangedTheDataAndAfterAChangedReadChoice) {
  readFile(kSistem3);
  EXPECT_TRUE(rules_.notices(s()).empty());

  // Gauss-Seidel on a dominant diagonal exchanges no rows: still the file's data.
  chooseMethod(4);
  setIteration("0.0001", "100");
  run();
  EXPECT_TRUE(rules_.notices(s()).empty());

  chooseMethod(1);
  run();
  ASSERT_EQ(rules_.notices(s()).size(), 1u);
  EXPECT_EQ(rules_.notices(s())[0], kNoticeResultsInMemory);

  ASSERT_TRUE(d().click(kIdSymmetric));
  auto n = rules_.notices(s());
  ASSERT_EQ(n.size(), 2u);
  EXPECT_NE(n[1].find("tipul matricii"), std::string::npos) << n[1];
  ASSERT_TRUE(d().click(kIdGeneral));
  EXPECT_EQ(rules_.notices(s()).size(), 1u) << "back to the choice read with";

  ASSERT_TRUE(d().click(kIdRead));
  rules_.afterRead(s(), s().dataRead);
  EXPECT_TRUE(rules_.notices(s()).empty());

  ASSERT_TRUE(d().click(kIdInverse));
  EXPECT_EQ(rules_.notices(s()).size(), 1u) << "the right-hand sides were read for a system";
}

TEST_F(RunsTest, SorTraceVerdictsLabelAndTheRunsInTheFile) {
  readFile("Doua sisteme\n3 2\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n1 2 3\n");
  chooseMethod(5);
  setIteration("0.0001", "100", "1.2");
  RunRecord first = run();
  chooseMethod(1);
  run();

  EXPECT_EQ(first.label(), "SOR, omega = 1.200E+00, eps = 1.000E-04");
  ASSERT_EQ(first.result.outcome.sweeps.size(), 2u);
  EXPECT_EQ(first.verdictOf(1)->verdict, Verdict::Tolerance);
  EXPECT_EQ(first.verdictOf(1)->sweeps, 7);

  std::ostringstream csv;
  writeSweepsCsv(csv, {first});
  EXPECT_EQ(csv.str().substr(0, csv.str().find('\n')),
            "rulare,metoda,omega,eps,termen_liber,iteratia,max_dif,log10_max_dif,verdict");

  PagedFile f;
  ASSERT_TRUE(f.open((dir_ / "p.dat").string()));
  const auto reports = indexReports(f, InputDataFile().dataEnd());
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].firstLine, "Problema: Sistem liniar");
  EXPECT_EQ(reports[0].method, "SOR");
  EXPECT_EQ(reports[1].method, "Gauss");
  EXPECT_EQ(reports[0].offset, InputDataFile().dataEnd());
  EXPECT_EQ(reports[0].end, reports[1].offset);
  EXPECT_EQ(reports[1].end, f.size());
  EXPECT_EQ(f.bytes(reports[1].offset, reports[1].offset + 2), "\nP");
  EXPECT_EQ(reports[1].title(2, 5), "Rularea 5: Problema: Sistem liniar (Gauss)");
  EXPECT_EQ(reports[1].title(2, 0), "raportul 2 din fisier (anterior): Problema: Sistem liniar (Gauss)");
}

TEST(ReportIndex, OnlyAfterTheDataAndOnlyAfterAnEmptyLine) {
  const auto path = std::filesystem::temp_directory_path() / ("parvela_idx_" + std::to_string(::getpid()));
  const std::string data = "Titlu\r\n\r\nProblema: in date\r\n";
  writeBytes(path, data + "\r\nProblema: Numar de Conditie;  Cond(A)*.\r\n\r\nMatrice: generala\r\n"
                          "x Problema: nu\r\nProblema: nici asta\r\n");
  PagedFile f;
  ASSERT_TRUE(f.open(path.string()));
  const auto reports = indexReports(f, data.size());
  std::filesystem::remove(path);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].offset, data.size());
  EXPECT_EQ(reports[0].firstLine, "Problema: Numar de Conditie;  Cond(A)*.");
  EXPECT_EQ(reports[0].method, "");
}

TEST(CapturingPlatform, KeepsAndPassesOnOutputAndBoxes) {
  RecordingPlatform inner;
  setPlatform(&inner);
  {
    CaptureScope capture;
    platform().standardOutput(" Toleranta atinsa.\n");
    platform().messageBox("Introdu EPS si/sau NLIM", "Eroare", IconKind::Error);
    const auto got = capture.take();
    EXPECT_EQ(got.standardOutput, " Toleranta atinsa.\n");
    ASSERT_EQ(got.boxes.size(), 1u);
    EXPECT_EQ(got.boxes[0].caption, "Eroare");
  }
  EXPECT_EQ(&platform(), &inner);
  EXPECT_EQ(inner.out, " Toleranta atinsa.\n");
  EXPECT_EQ(inner.messages.size(), 1u);
  setPlatform(nullptr);
}

}  // namespace
}  // namespace parvela::test
