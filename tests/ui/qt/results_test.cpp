// The results window beside the main window, driven with real clicks: the
// outcome line, the report view, the convergence plot and the notices.
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QElapsedTimer>
#include <QFile>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QChart>
#include <QChartView>
#include <QTabWidget>
#include <QValueAxis>

#include <cmath>
#include <limits>

#include "io/fortran_io.h"
#include "qt_test_support.h"
#include "ui/core/notices.h"
#include "ui/core/outcome.h"
#include "ui/qt/background_work.h"
#include "ui/qt/convergence_plot.h"
#include "ui/qt/notice_bar.h"
#include "ui/qt/outcome_line.h"
#include "ui/qt/pivot_plot.h"
#include "ui/qt/plot_legend.h"
#include "ui/qt/report_view.h"
#include "ui/qt/power_plot.h"
#include "ui/qt/results_window.h"
#include "ui/qt/analysis_view.h"
#include "ui/qt/step_view.h"
#include "ui/core/read_outcome.h"

namespace parvela::qt::test {
namespace {

constexpr const char* kSistem3 = "Sistem de proba\n3 1\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n";

class ResultsTest : public MainWindowTest {
 protected:
  // Reads and runs work on the worker: wait until it is done.
  void idle() {
    if (BackgroundWork* w = backgroundWorkOf(window())) {
      ASSERT_TRUE(w->waitUntilIdle());
    }
  }
  void read() {
    click(window(), kIdRead);
    idle();
  }
  ResultsWindow& results() {
    ResultsWindow* r = Results();
    EXPECT_NE(r, nullptr);
    return *r;
  }
  void readData(const std::string& name, const std::string& bytes) {
    writeFile(folder() / name, bytes);
    selectFile(QString::fromStdString(name));
    read();
    ASSERT_TRUE(problem().dataRead) << name;
  }
  void iteration(const QString& eps, const QString& nlim, const QString& omega = {}) {
    typeInto(window(), kIdEps, eps);
    typeInto(window(), kIdNlim, nlim);
    if (!omega.isEmpty()) typeInto(window(), kIdOmega, omega);
  }
  void solve() {
    platform_.out.clear();
    platform_.boxes.clear();
    ASSERT_TRUE(enabled(window(), kIdSolve));
    click(window(), kIdSolve);
    idle();
  }
  QStringList outputLines() const {
    QStringList l;
    for (const std::string& s : nonEmptyLines(platform_.out)) l << QString::fromStdString(s);
    return l;
  }
  // The lines of the view from `first` to the end, each with `eol`.
  std::string shownFrom(std::size_t first, const char* eol) {
    ReportText* t = results().reportView()->text();
    std::string s;
    const std::size_t lines = results().reportView()->file().lineCount();
    for (std::size_t i = first; i < lines; ++i) s += t->lineText(i).toStdString() + eol;
    return s;
  }
};

// ---------------------------------------------------------------------------
// Outcome line: the run's standard-output lines, for each method and failure

struct OutcomeCase {
  const char* name;
  std::string data;
  int method;  // entry of the method list; 0: condition number, norm 1
  const char* eps;
  const char* nlim;
  const char* omega;
  bool symmetric;
  Outcome::Kind kind;
  const char* box = nullptr;  // the line naming a parameter box, after the others
};

void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.name; }

class OutcomeTest : public ResultsTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(OutcomeTest, ShowsTheLinesTheRunWroteToStandardOutput) {
  const OutcomeCase& c = GetParam();
  readData("p.dat", c.data);
  if (c.method == 0) {
    click(window(), kIdConditionNumber);
    select(window(), kIdNormList, 1);
  } else {
    if (c.symmetric) click(window(), kIdSymmetric);
    select(window(), kIdMethodList, c.method);
  }
  if (c.eps) iteration(QString::fromLatin1(c.eps), QString::fromLatin1(c.nlim),
                       c.omega ? QString::fromLatin1(c.omega) : QString());
  if (c.symmetric || c.method == 0) read();  // read as the choices now say
  solve();

  OutcomeLine* line = results().outcomeLine();
  EXPECT_EQ(line->kind(), c.kind);
  const QStringList box = c.box ? QStringList{QString::fromLatin1(c.box)} : QStringList{};
  if (c.kind == Outcome::Kind::Refused) {
    ASSERT_EQ(platform_.boxes.size(), 1u);
    EXPECT_EQ(line->lines(), QString::fromStdString(platform_.boxes[0].text).split(u'\n') + box);
  } else {
    EXPECT_TRUE(platform_.boxes.empty());
    EXPECT_EQ(line->lines(), outputLines() + box);
    EXPECT_EQ(platform_.out.empty(), line->lines().isEmpty());
  }
}

const std::string kDominant2 = "D\n2 1\n4 1\n1 3\n1 2\n";
const std::string kSym3 = "S\n3 1\n4 1 0\n4 1\n4\n5 6 5\n";

INSTANTIATE_TEST_SUITE_P(
    EachMethodAndFailure, OutcomeTest,
    ::testing::Values(
        OutcomeCase{"Gauss", kSistem3, 1, nullptr, nullptr, nullptr, false, Outcome::Kind::Done},
        OutcomeCase{"GaussSingular", "G\n2 1\n1 2\n2 4\n1 1\n", 1, nullptr, nullptr, nullptr, false,
                    Outcome::Kind::Breakdown},
        OutcomeCase{"LU", kSistem3, 2, nullptr, nullptr, nullptr, false, Outcome::Kind::Done},
        OutcomeCase{"LUZeroColumn", "L\n2 1\n0 1\n0 2\n1 1\n", 2, nullptr, nullptr, nullptr, false,
                    Outcome::Kind::Breakdown},
        OutcomeCase{"Cholesky", kSym3, 3, nullptr, nullptr, nullptr, true, Outcome::Kind::Done},
        OutcomeCase{"CholeskyNotPositive", "C\n2 1\n1 2\n1\n1 1\n", 3, nullptr, nullptr, nullptr, true,
                    Outcome::Kind::Breakdown},
        OutcomeCase{"GaussSeidel", kSistem3, 4, "0.0001", "100", nullptr, false, Outcome::Kind::Done},
        OutcomeCase{"GaussSeidelLimit", kSistem3, 4, "1E-30", "3", nullptr, false, Outcome::Kind::Breakdown},
        OutcomeCase{"GaussSeidelDivergence", "V\n2 1\n1 3\n3 1\n1 1\n", 4, "0.0001", "100", nullptr, false,
                    Outcome::Kind::Breakdown},
        OutcomeCase{"GaussSeidelStationary", "T\n1 1\n2\n1\n", 4, "-1", "10", nullptr, false,
                    Outcome::Kind::Breakdown},
        OutcomeCase{"GaussSeidelNoDiagonal", "Z\n2 1\n0 1\n0 2\n1 1\n", 4, "0.0001", "100", nullptr, false,
                    Outcome::Kind::Breakdown},
        OutcomeCase{"Sor", kDominant2, 5, "0.0001", "100", "1.2", false, Outcome::Kind::Done},
        OutcomeCase{"SorRefused", kSistem3, 5, "0.0001", "100", "0", false, Outcome::Kind::Refused,
                    "Omega: '0' este zero"},
        OutcomeCase{"SorOmegaComma", kDominant2, 5, "0.0001", "100", "1,5", false, Outcome::Kind::Done,
                    "Omega: '1,5' a fost citit ca 1 (zecimalele se scriu cu punct)"},
        OutcomeCase{"ConditionNumber", kSistem3, 0, nullptr, nullptr, nullptr, false, Outcome::Kind::Done}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Report view

TEST_F(ResultsTest, ReportViewShowsExactlyTheBytesEachRunAppendedScrolledToItsStart) {
  for (const char* eol : {"\n", "\r\n"}) {
    SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF");
    std::string data = kSistem3;
    if (eol[0] == '\r') {
      data.clear();
      for (char ch : std::string(kSistem3)) data += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    readData("r.dat", data);
    select(window(), kIdMethodList, 1);
    click(window(), kIdDeterminant);
    solve();
    std::string after = readFile(folder() / "r.dat");
    ReportView* view = results().reportView();
    ASSERT_EQ(results().lastReportStart(), data.size());
    EXPECT_EQ(shownFrom(view->text()->firstVisibleLine(), eol), after.substr(data.size()));
    EXPECT_EQ(view->file().lineStart(view->text()->firstVisibleLine()), data.size());

    // A second run appends: the view moves to the new report only.
    const std::string before = after;
    select(window(), kIdMethodList, 2);
    solve();
    after = readFile(folder() / "r.dat");
    ASSERT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(shownFrom(view->text()->firstVisibleLine(), eol), after.substr(before.size()));
    ASSERT_EQ(view->runs().size(), 2u);
    EXPECT_EQ(view->runList()->count(), 2);
    EXPECT_TRUE(view->runList()->itemText(0).endsWith(QStringLiteral(": Problema: Sistem liniar (Gauss)")));
    EXPECT_EQ(view->runList()->currentIndex(), 1);
    click(window(), kIdDeterminant);
  }
}

// A new file, or a read that failed, and the tabs stop showing the last
// run, each saying why; the outcome line says what happened.
TEST_F(ResultsTest, ANewSelectionOrAFailedReadClearsTheLastRunSayingWhy) {
  auto expectCleared = [&](const char* why) {
    ResultsWindow& r = results();
    EXPECT_TRUE(r.convergencePlot()->runs().empty());
    EXPECT_FALSE(r.pivotPlot()->hasRun());
    EXPECT_TRUE(r.stepView()->session().empty());
    EXPECT_FALSE(r.lastReportStart());
    EXPECT_TRUE(r.analysisView()->statusLabel()->text().startsWith(QString::fromLatin1(why)));
    EXPECT_EQ(r.tabs()->currentWidget(), r.reportView());
  };
  readData("p.dat", kSistem3);
  select(window(), kIdMethodList, 4);
  iteration(QStringLiteral("0.0001"), QStringLiteral("100"));
  solve();
  select(window(), kIdMethodList, 1);
  solve();
  ASSERT_TRUE(results().pivotPlot()->hasRun());
  ASSERT_FALSE(results().convergencePlot()->runs().empty());

  writeFile(folder() / "q.dat", kSistem3);
  selectFile(QStringLiteral("q.dat"));
  OutcomeLine* line = results().outcomeLine();
  EXPECT_EQ(line->badge(), QStringLiteral("Selectat"));
  EXPECT_EQ(line->summary(), QStringLiteral("Fisier selectat: q.dat. Cititi datele cu \"Citeste\"."));
  EXPECT_EQ(line->lines(), QStringList{QStringLiteral("Rezultatele rularilor pe p.dat nu se mai arata.")});
  expectCleared("Alt fisier selectat");

  read();
  solve();
  ASSERT_TRUE(results().pivotPlot()->hasRun());
  writeFile(folder() / "q.dat", "Stricat\n3 1\n4 1 0\n1 x 1\n");
  read();
  ASSERT_FALSE(problem().dataRead);
  EXPECT_EQ(line->badge(), QStringLiteral("Necitit"));
  EXPECT_EQ(line->lines().last(), QString::fromLatin1(kRunClearedAfterFailedRead));
  expectCleared("Datele nu au fost citite");
}

// "PDF..." and "Tipareste..." take the run chosen in the list of runs: its
// report's lines as written and, for a run of this session, its plots.
TEST_F(ResultsTest, PrintedReportIsTheChosenRunsWithItsPlots) {
  readData("p.dat", kSistem3);
  ReportView* view = results().reportView();
  EXPECT_FALSE(view->pdfButton()->isEnabled());
  select(window(), kIdMethodList, 4);
  iteration(QStringLiteral("0.0001"), QStringLiteral("100"));
  solve();
  select(window(), kIdMethodList, 1);
  solve();
  ASSERT_EQ(view->runs().size(), 2u);
  // One number per run: the status, the list of runs and the legend.
  EXPECT_TRUE(results().outcomeLine()->summary().startsWith(QStringLiteral("Rularea 2: ")));
  EXPECT_EQ(view->runList()->itemText(0), QStringLiteral("Rularea 1: Problema: Sistem liniar (Gauss-Seidel)"));
  EXPECT_EQ(view->runList()->itemText(1), QStringLiteral("Rularea 2: Problema: Sistem liniar (Gauss)"));
  ASSERT_FALSE(results().convergencePlot()->legend()->entries().empty());
  EXPECT_TRUE(results().convergencePlot()->legend()->entries()[0].text.endsWith(QStringLiteral("(rularea 1)")));
  EXPECT_TRUE(view->pdfButton()->isEnabled());
  EXPECT_TRUE(view->printButton()->isEnabled());
  const std::string bytes = readFile(folder() / "p.dat");
  for (int k : {0, 1}) {
    view->runList()->setCurrentIndex(k);
    const std::optional<PrintedReport> report = view->selectedReport();
    ASSERT_TRUE(report && report->run) << k;
    EXPECT_EQ(report->fileName, QStringLiteral("p.dat"));
    EXPECT_EQ(report->run->method, k == 0 ? "Gauss-Seidel" : "Gauss");
    EXPECT_EQ(report->run->trace.sweeps.empty(), k == 1);
    const ReportEntry& e = view->runs()[std::size_t(k)];
    EXPECT_EQ(QString::fromStdString(bytes.substr(e.offset, e.end - e.offset)).trimmed(), report->lines.join(u'\n'));
  }
  // The same reports in a file of another session: no plots to go with them.
  writeFile(folder() / "q.dat", bytes);
  selectFile(QStringLiteral("q.dat"));
  ASSERT_EQ(view->runs().size(), 2u);
  EXPECT_EQ(view->runList()->itemText(0),
            QStringLiteral("raportul 1 din fisier (anterior): Problema: Sistem liniar (Gauss-Seidel)"));
  const std::optional<PrintedReport> other = view->selectedReport();
  ASSERT_TRUE(other);
  EXPECT_FALSE(other->run);
  EXPECT_FALSE(other->lines.isEmpty());
}

TEST_F(ResultsTest, ReportViewSearchesAndCopiesTheTextAsWritten) {
  readData("s.dat", kSistem3);
  select(window(), kIdMethodList, 1);
  click(window(), kIdDeterminant);
  solve();
  ReportView* view = results().reportView();
  view->showSearch();
  view->searchBox()->setText(QStringLiteral("matricea \"u\""));
  ASSERT_TRUE(view->findNext());
  EXPECT_EQ(view->text()->selectedText(), QStringLiteral("Matricea \"U\""));
  // The method line keeps the blanks that pad the name to 33 characters.
  view->searchBox()->setText(QStringLiteral("Metoda: "));
  ASSERT_TRUE(view->findNext(false));
  const std::size_t line = view->file().lineAt(view->file().find("Metoda: ", 0, true, true)->offset);
  view->text()->select({line, 0}, {line, int(view->text()->lineText(line).size())});
  view->text()->copy();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Metoda: Gauss") + QString(28, u' '));
  view->searchBox()->setText(QStringLiteral("nu exista"));
  EXPECT_FALSE(view->findNext());
}

TEST_F(ResultsTest, AnEightyMegabyteReportOpensWithinASecond) {
  static constexpr const char* kTraceLine = "   0.9999880       0.9999945        1.000002       6.937981E-05    ";
  const auto path = folder() / "mare.dat";
  std::uint64_t size = 0;
  {
    std::ofstream out(path, std::ios::binary);
    out << kSistem3 << "\nProblema: Sistem liniar\nMatrice: generala\n\nMetoda: Gauss-Seidel\n";
    std::string block;
    for (int it = 1; it <= 1000; ++it)
      block += "  " + std::to_string(it % 10) + kTraceLine + "\n";
    while (size < (80u << 20)) {
      out << block;
      size += block.size();
    }
  }
  auto rss = [] {
    std::ifstream in("/proc/self/status");
    std::string key;
    std::uint64_t kb = 0;
    while (in >> key) {
      if (key == "VmRSS:") {
        in >> kb;
        break;
      }
      in.ignore(1 << 12, '\n');
    }
    return kb * 1024;
  };
  const std::uint64_t before = rss();
  ReportView view;
  view.resize(800, 600);
  view.show();
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(view.showFile(QString::fromStdString(path.string()), std::string(kSistem3).size()));
  view.text()->viewport()->repaint();
  const qint64 ms = timer.elapsed();
  EXPECT_LT(ms, 1000) << "opened in " << ms << " ms";
  EXPECT_EQ(view.runs().size(), 1u);
  EXPECT_LT(rss() - std::min(rss(), before), 2 * size) << "memory grown by more than twice the file";
  // The end is one step away.
  view.text()->scrollToLine(view.file().lineCount() - 1);
  EXPECT_EQ(view.text()->lineText(view.file().lineCount() - 1), QStringLiteral("  0") + QLatin1String(kTraceLine));
  std::cerr << "80 MB: " << ms << " ms, " << (rss() - std::min(rss(), before)) / 1024 << " KiB more\n";
}

// ---------------------------------------------------------------------------
// Convergence plot

// The max|x - x_ant| column of the trace in the report, per right-hand side
// (n <= 8: one line per sweep, the change after the n values).
std::vector<std::vector<std::string>> traceColumn(const std::string& report, int n) {
  std::vector<std::vector<std::string>> out;
  std::istringstream in(report);
  std::string line;
  bool inTrace = false;
  while (std::getline(in, line)) {
    if (line.rfind(" Iter\tx", 0) == 0) {
      out.emplace_back();
      inTrace = true;
      continue;
    }
    if (!inTrace) continue;
    if (line.size() < 5 || line.substr(0, 3).find_first_not_of(" 0123456789") != std::string::npos ||
        line.substr(0, 3) == "   ") {
      inTrace = false;
      continue;
    }
    if (line.substr(0, 3) == "  0") continue;  // the starting vector
    out.back().push_back(line.substr(5 + 15 * n, 15));
  }
  return out;
}

TEST_F(ResultsTest, SorCurvesAreTheTraceOfTheReportForEachRightHandSide) {
  readData("t.dat", "Doua sisteme\n3 2\n4 1 0\n1 4 1\n0 1 4\n5 6 5\n1 2 3\n");
  select(window(), kIdMethodList, 5);
  iteration(QStringLiteral("0.00001"), QStringLiteral("100"), QStringLiteral("1.1"));
  click(window(), kIdIterations);
  solve();
  const std::string file = readFile(folder() / "t.dat");
  const auto column = traceColumn(file.substr(*results().lastReportStart()), 3);
  ASSERT_EQ(column.size(), 2u);

  ConvergencePlot* plot = results().convergencePlot();
  ASSERT_EQ(plot->runs().size(), 1u);
  for (int rhs = 1; rhs <= 2; ++rhs) {
    SCOPED_TRACE(rhs);
    const auto& expected = column[std::size_t(rhs - 1)];
    const auto points = plot->curvePoints(0, rhs);
    const TraceCurve* curve = plot->runs()[0].trace.sweepCurve(rhs);
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(points.size(), expected.size());
    ASSERT_EQ(curve->points.size(), expected.size());
    for (std::size_t k = 0; k < points.size(); ++k) {
      EXPECT_EQ(points[k].x(), double(k + 1));
      const float dif = float(curve->points[k].value);
      EXPECT_EQ(formatRecord("(G15.7)", {dif}), expected[k]) << "sweep " << k + 1;
      EXPECT_EQ(points[k].y(), std::log10(double(dif)));
    }
  }
  // Tolerance line at log10(eps) and the verdict at the last sweep of each curve.
  ASSERT_EQ(plot->toleranceLines().size(), 1u);
  EXPECT_DOUBLE_EQ(plot->toleranceLines()[0]->at(0).y(), std::log10(double(1e-5f)));
  ASSERT_EQ(plot->verdictMarkers().size(), 1u);
  EXPECT_EQ(plot->verdictMarkers()[0]->name(), QStringLiteral("toleranta atinsa"));
  ASSERT_EQ(plot->verdictMarkers()[0]->count(), 2);
  EXPECT_EQ(plot->verdictMarkers()[0]->at(1), plot->curvePoints(0, 2).back());
  EXPECT_EQ(results().tabs()->currentWidget(), plot);
}

TEST_F(ResultsTest, KeptRunsOverlayWithTheirLabelsAndExportToPngAndCsv) {
  readData("o.dat", kSistem3);
  select(window(), kIdMethodList, 5);
  ConvergencePlot* plot = results().convergencePlot();
  plot->setKeepRuns(true);
  iteration(QStringLiteral("0.0001"), QStringLiteral("100"), QStringLiteral("1.0"));
  solve();
  typeInto(window(), kIdOmega, QStringLiteral("1.3"));
  solve();
  ASSERT_EQ(plot->runs().size(), 2u) << "the trace comes without the Iteratii box";
  EXPECT_EQ(plot->curve(0, 1)->name(), QStringLiteral("SOR \u03c9=1, eps=1e-4 (rularea 1)"));
  EXPECT_EQ(plot->curve(1, 1)->name(), QStringLiteral("SOR \u03c9=1.3, eps=1e-4 (rularea 2)"));
  EXPECT_NE(plot->curvePoints(0, 1).size(), plot->curvePoints(1, 1).size());
  // The legend names every curve and marker whole, on as many lines as it needs.
  PlotLegend* legend = plot->legend();
  EXPECT_EQ(legend->texts(), QStringList({plot->curve(0, 1)->name(), plot->curve(1, 1)->name(),
                                          "toleranta atinsa", "toleranta eps=1e-4"}));
  QCoreApplication::processEvents();
  EXPECT_GE(legend->height(), legend->heightForWidth(legend->width()));

  const QString png = QString::fromStdString((folder() / "c.png").string());
  const QString csv = QString::fromStdString((folder() / "c.csv").string());
  ASSERT_TRUE(plot->exportPng(png));
  EXPECT_FALSE(QImage(png).isNull());
  ASSERT_TRUE(plot->exportCsv(csv));
  const std::string text = readFile(csv.toStdString());
  const std::size_t rows = std::size_t(std::count(text.begin(), text.end(), '\n'));
  EXPECT_EQ(rows, 1 + plot->curvePoints(0, 1).size() + plot->curvePoints(1, 1).size());

  plot->clearRuns();
  EXPECT_TRUE(plot->runs().empty());
  EXPECT_EQ(plot->curve(0, 1), nullptr);
  // Without "keep" a run replaces what is drawn.
  plot->setKeepRuns(false);
  solve();
  solve();
  EXPECT_EQ(plot->runs().size(), 1u);
}

TEST_F(ResultsTest, PivotsOfAGaussRunPerStep) {
  readData("v.dat", kSistem3);
  select(window(), kIdMethodList, 1);
  click(window(), kIdDeterminant);
  solve();
  const auto points = results().pivotPlot()->points();
  ASSERT_EQ(points.size(), 3u);  // every pivot, U(3,3) included
  EXPECT_EQ(points[0], QPointF(1, std::log10(4.0)));
  EXPECT_EQ(points[1].x(), 2);
  EXPECT_NEAR(points[1].y(), std::log10(3.75), 1e-6);
  EXPECT_EQ(points[2].x(), 3);
  EXPECT_NEAR(points[2].y(), std::log10(3.733333), 1e-6);
}

// The spectral estimate (norm 4) runs the power method for A and for its
// inverse: one curve per spectral radius, each ending where it settled.
TEST_F(ResultsTest, PowerMethodCurvesForEachSpectralRadius) {
  writeFile(folder() / "c.dat", kSistem3);
  selectFile(QStringLiteral("c.dat"));
  click(window(), kIdConditionNumber);
  select(window(), kIdNormList, 4);
  read();
  ASSERT_TRUE(problem().dataRead);
  solve();
  PowerPlot* plot = results().powerPlot();
  ASSERT_TRUE(plot->hasRun());
  const auto first = plot->curvePoints(1);
  const auto second = plot->curvePoints(3);
  ASSERT_GE(first.size(), 2u);
  ASSERT_GE(second.size(), 2u);
  EXPECT_TRUE(plot->curvePoints(2).empty());  // no shifted pass was needed
  for (const auto* curve : {&first, &second}) {
    // From the second iteration: the first has no earlier estimate.
    for (std::size_t k = 0; k < curve->size(); ++k) EXPECT_EQ((*curve)[k].x(), static_cast<double>(k + 2));
    // The measure falls to the tolerance of the method at the last iteration.
    EXPECT_LE(curve->back().y(), -5.0);
  }
}

// ---------------------------------------------------------------------------
// The plots drawn from traces built here

RunRecord tracedRun(int number, const char* method) {
  RunRecord r;
  r.number = number;
  r.method = method;
  return r;
}

std::vector<TracePoint> traced(const std::vector<double>& values) {
  std::vector<TracePoint> out;
  for (std::size_t k = 0; k < values.size(); ++k) out.push_back({std::int64_t(k + 1), values[k]});
  return out;
}

std::vector<double> ticksOf(const QValueAxis* a) {
  std::vector<double> out;
  for (double t = a->tickAnchor() + std::ceil((a->min() - a->tickAnchor()) / a->tickInterval()) * a->tickInterval();
       t <= a->max(); t += a->tickInterval())
    out.push_back(t);
  return out;
}

TEST(Plots, PivotsOnWholeStepsMarkedOnlyOnShortLinesAndAZeroAtTheBottom) {
  PivotPlot plot;
  plot.resize(600, 400);
  plot.show();
  RunRecord singular = tracedRun(1, "Gauss");
  singular.trace.pivots = traced({4.0, 3.75, 0.0});  // U(3,3) exactly zero
  plot.showRun(singular);
  EXPECT_EQ(plot.points(), (std::vector<QPointF>{{1, std::log10(4.0)}, {2, std::log10(3.75)}}));
  ASSERT_NE(plot.pointMarkers(), nullptr);
  EXPECT_EQ(plot.pointMarkers()->count(), 2);
  ASSERT_NE(plot.zeroSeries(), nullptr);
  ASSERT_EQ(plot.zeroSeries()->count(), 1);
  const QPointF zero = plot.zeroSeries()->at(0);
  EXPECT_EQ(zero.x(), 3);
  EXPECT_GT(zero.y(), plot.yAxis()->min());
  EXPECT_LT(zero.y(), std::log10(3.75));
  EXPECT_GT(plot.yAxis()->min(), -3) << "the axis fits the data, not a floor for the zero";
  EXPECT_EQ(plot.xAxis()->tickType(), QValueAxis::TicksDynamic);
  EXPECT_EQ(ticksOf(plot.xAxis()), (std::vector<double>{1, 2, 3}));

  RunRecord large = tracedRun(2, "LU");
  std::vector<double> pivots;
  for (int k = 1; k <= 1500; ++k) pivots.push_back(1.0 + k);
  large.trace.pivots = traced(pivots);
  plot.showRun(large);
  EXPECT_EQ(plot.points().size(), 1500u);
  EXPECT_EQ(plot.pointMarkers(), nullptr) << "a line alone";
  EXPECT_EQ(plot.zeroSeries(), nullptr);
  for (double t : ticksOf(plot.xAxis())) EXPECT_EQ(t, std::round(t));
  EXPECT_LE(ticksOf(plot.xAxis()).size(), 11u);
}

TEST(Plots, PowerMethodWithoutTheFirstIterationAndWithZerosAtTheBottom) {
  PowerPlot plot;
  plot.resize(600, 400);
  plot.show();
  RunRecord run = tracedRun(3, "Numar Conditie");
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  run.trace.power = {TraceCurve{1, traced({kNaN, 1e-1, 0.0, 1e-3}), false},
                     TraceCurve{3, traced({kNaN, 1e-2, 1e-4, 0.0}), false}};
  plot.showRun(run);
  EXPECT_EQ(plot.curvePoints(1), (std::vector<QPointF>{{2, -1}, {4, -3}}));
  EXPECT_EQ(plot.curvePoints(3), (std::vector<QPointF>{{2, -2}, {3, -4}}));
  const double zeroLevel = plot.zeroPoints(1).at(0).y();
  EXPECT_EQ(plot.zeroPoints(1), (std::vector<QPointF>{{3, zeroLevel}}));
  EXPECT_EQ(plot.zeroPoints(3), (std::vector<QPointF>{{4, zeroLevel}}));
  // The axis runs from just below the zeros to just above the data.
  EXPECT_LT(zeroLevel, -4);
  EXPECT_GT(zeroLevel, plot.yAxis()->min());
  EXPECT_GT(plot.yAxis()->min(), -5.5);
  EXPECT_LT(plot.yAxis()->max(), -0.5);
  EXPECT_EQ(plot.legend()->texts(),
            QStringList({"Raza spectrala 1", "Raza spectrala 2", "0 exact"}));
}

// Every marker of the convergence plot lies wholly inside the plot area,
// at the smallest size the plot takes.
TEST(Plots, ConvergenceFitsTheAxesAndNoMarkerIsClipped) {
  ConvergencePlot plot;
  plot.setKeepRuns(true);
  plot.resize(plot.minimumSizeHint());
  plot.show();
  RunRecord diverging = tracedRun(1, "Gauss-Seidel");
  diverging.iterative = true;
  diverging.eps = 1e-5f;
  diverging.trace.sweeps = {TraceCurve{1, traced({1.0, 1e-1, 1e-2, 1.0, 1e3}), false}};
  diverging.result.outcome.sweeps = {SweepOutcome{Verdict::Divergence, 5, 1e3f, 1.0f}};
  RunRecord converging = tracedRun(2, "SOR");
  converging.iterative = true;
  converging.omega = 1.5f;
  converging.eps = 1e-5f;
  converging.trace.sweeps = {TraceCurve{1, traced({1e-1, 1e-3, 1e-6, 0.0}), false}};
  converging.withOmega = true;
  converging.result.outcome.sweeps = {SweepOutcome{Verdict::Tolerance, 4, 0.0f, 1e-6f}};
  plot.addRun(diverging);
  plot.addRun(converging);
  QCoreApplication::processEvents();

  // From the exact zero below -6 to the divergence at 3, no more.
  EXPECT_GT(plot.yAxis()->min(), -8);
  EXPECT_LT(plot.yAxis()->max(), 4);
  EXPECT_LT(plot.xAxis()->max(), 6);
  QChart* chart = plot.chartView()->chart();
  const QRectF area = chart->plotArea();
  ASSERT_EQ(plot.verdictMarkers().size(), 2u);
  ASSERT_EQ(plot.zeroSeries().size(), 1u);
  std::vector<QScatterSeries*> markers = plot.verdictMarkers();
  markers.push_back(plot.zeroSeries()[0]);
  for (QScatterSeries* m : markers)
    for (const QPointF& p : m->points()) {
      const QPointF at = chart->mapToPosition(p, m);
      const double r = m->markerSize() / 2 + 1;
      EXPECT_TRUE(area.contains(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r)))
          << m->name().toStdString() << " at " << p.x() << ", " << p.y();
    }
  // The tolerance line spans the plot.
  ASSERT_EQ(plot.toleranceLines().size(), 1u);
  EXPECT_EQ(plot.toleranceLines()[0]->at(0).x(), plot.xAxis()->min());
  EXPECT_EQ(plot.toleranceLines()[0]->at(1).x(), plot.xAxis()->max());
}

// ---------------------------------------------------------------------------
// Notices

TEST_F(ResultsTest, NoticeAfterARunUntilCitesteAndAfterAChangedReadChoice) {
  readData("n.dat", kSistem3);
  NoticeBar* bar = results().noticeBar();
  EXPECT_TRUE(bar->isHidden());
  select(window(), kIdMethodList, 1);
  solve();
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(bar->notices(), QStringList{QString::fromLatin1(kNoticeResultsInMemory)});

  read();
  EXPECT_TRUE(bar->isHidden());
  EXPECT_TRUE(bar->notices().isEmpty());

  click(window(), kIdGenerated);
  ASSERT_EQ(bar->notices().size(), 1);
  EXPECT_TRUE(bar->notices()[0].contains(QStringLiteral("sursa datelor"))) << bar->notices()[0].toStdString();
  click(window(), kIdFromFile);
  EXPECT_TRUE(bar->isHidden());
}

}  // namespace
}  // namespace parvela::qt::test
