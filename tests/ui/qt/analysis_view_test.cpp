// The "Analiza" tab after real runs in the window, and the growth factor on
// the pivot plot: what each view shows is what the analysis computed, the
// background work stops when "REZOLVA !" is pressed, and "Foloseste omega*"
// types into the Omega box.
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBrowser>

#include "qt_test_support.h"
#include "ui/qt/analysis_view.h"
#include "ui/qt/analysis_work.h"
#include "ui/qt/experiment_plot.h"
#include "ui/qt/omega_plot.h"
#include "ui/qt/pivot_plot.h"
#include "ui/qt/plane_plot.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/results_window.h"

namespace parvela::qt::test {
namespace {

class AnalysisViewTest : public MainWindowTest {
 protected:
  AnalysisView& view() { return *Results()->analysisView(); }
  void idle() {
    if (BackgroundWork* w = backgroundWorkOf(window())) {
      ASSERT_TRUE(w->waitUntilIdle());
    }
    ASSERT_TRUE(view().work().waitUntilIdle());
  }
  void generator(int entry) { select(window(), kIdGeneratorList, entry); }
  void solve() {
    click(window(), kIdSolve);
    idle();
  }
  static QString text(QTextBrowser* t) { return t->toPlainText(); }
};

TEST_F(AnalysisViewTest, ErrorsOfALuRunOnHilbertSixThenAnExperimentStoppedByANewRun) {
  writeFile(folder() / "h.dat", "Hilbert 6\n6 1\n0\n2.45 1.59285714 1.21785714 0.995634921 0.845634921 0.736544012\n");
  selectFile(QStringLiteral("h.dat"));
  click(window(), kIdGenerated);
  generator(1);
  select(window(), kIdMethodList, 2);
  click(window(), kIdRead);
  solve();
  ASSERT_TRUE(view().analysis());
  const ErrorAnatomy& e = *view().analysis()->errors;
  const QString shown = text(view().errorsText());
  EXPECT_TRUE(shown.contains(fromStd(sci(e.rows[0].forward)))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(fromStd(sci(e.kappaInf))));
  EXPECT_TRUE(shown.contains(QStringLiteral("Rafinare iterativa")));
  EXPECT_FALSE(view().pages()->isTabEnabled(AnalysisView::kConvergencePage));
  EXPECT_FALSE(view().pages()->isTabEnabled(AnalysisView::kPlanePage));

  // The experiment over n: three curves and the line of an error of 1.
  ASSERT_TRUE(view().experimentButton()->isEnabled());
  view().limitBox()->setValue(7);
  QTest::mouseClick(view().experimentButton(), Qt::LeftButton);
  ASSERT_TRUE(view().work().waitUntilIdle());
  ASSERT_TRUE(view().experiment());
  const auto curves = view().experimentPlot()->curves();
  ASSERT_EQ(curves.size(), 4u);
  ASSERT_EQ(curves[0].size(), 6u);
  EXPECT_DOUBLE_EQ(curves[0][4].y(), view().experiment()->points[4].forward);  // n = 6
  EXPECT_DOUBLE_EQ(curves[3][0].y(), 1.0);
  EXPECT_TRUE(text(view().experimentText()).contains(QStringLiteral("Eroare inainte")));

  // A long experiment, then "REZOLVA !": the experiment stops, nothing of it
  // is shown, and the new run gets its own analysis.
  view().limitBox()->setValue(kExperimentMaxLimit);
  QTest::mouseClick(view().experimentButton(), Qt::LeftButton);
  EXPECT_TRUE(view().work().busy());
  EXPECT_TRUE(view().stopButton()->isEnabled());
  solve();
  EXPECT_FALSE(view().experiment());
  ASSERT_TRUE(view().analysis());
  EXPECT_EQ(view().analysis()->run.n, 6);
}

TEST_F(AnalysisViewTest, SorDiagnosisAndTheBestOmegaTypedIntoTheOmegaBox) {
  writeFile(folder() / "t.dat", "T\n20 1\n2\n2 -1\n1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n");
  selectFile(QStringLiteral("t.dat"));
  click(window(), kIdGenerated);
  generator(7);
  select(window(), kIdMethodList, 5);
  click(window(), kIdRead);
  typeInto(window(), kIdEps, QStringLiteral("1e-5"));
  typeInto(window(), kIdNlim, QStringLiteral("2000"));
  typeInto(window(), kIdOmega, QStringLiteral("1.5"));
  solve();
  ASSERT_TRUE(view().pages()->isTabEnabled(AnalysisView::kConvergencePage));
  const ConvergenceDiagnosis& d = *view().analysis()->convergence;
  EXPECT_TRUE(text(view().convergenceText()).contains(QString::number(*d.rho, 'f', 6)));

  ASSERT_TRUE(view().scanButton()->isEnabled());
  EXPECT_FALSE(view().useOmegaButton()->isEnabled());
  QTest::mouseClick(view().scanButton(), Qt::LeftButton);
  ASSERT_TRUE(view().work().waitUntilIdle());
  ASSERT_TRUE(view().scan());
  const OmegaScan& scan = *view().scan();
  EXPECT_EQ(view().omegaPlot()->radiusPoints().size(), scan.radii.size());
  EXPECT_EQ(view().omegaPlot()->sweepPoints(true).size() + view().omegaPlot()->sweepPoints(false).size(),
            scan.runs.size());
  ASSERT_EQ(view().omegaPlot()->bestLine().size(), 2u);
  EXPECT_FLOAT_EQ(view().omegaPlot()->bestLine()[0].x(), scan.best);

  ASSERT_TRUE(view().useOmegaButton()->isEnabled());
  QTest::mouseClick(view().useOmegaButton(), Qt::LeftButton);
  EXPECT_EQ(shownText(window(), kIdOmega), fromStd(scan.bestText));
  EXPECT_EQ(trimRight(problem().omegaText), scan.bestText);
}

TEST_F(AnalysisViewTest, TwoEquationsAsLinesWithTheZigZagOfGaussSeidel) {
  writeFile(folder() / "d.dat", "D\n2 1\n4 1\n1 3\n1 2\n");
  selectFile(QStringLiteral("d.dat"));
  select(window(), kIdMethodList, 4);
  click(window(), kIdRead);
  typeInto(window(), kIdEps, QStringLiteral("1e-6"));
  typeInto(window(), kIdNlim, QStringLiteral("50"));
  solve();
  ASSERT_TRUE(view().pages()->isTabEnabled(AnalysisView::kPlanePage));
  PlanePlot* plane = view().planePlot();
  ASSERT_EQ(plane->linePoints(1).size(), 2u);
  ASSERT_EQ(plane->linePoints(2).size(), 2u);
  // Every point of each segment lies on its equation.
  for (const QPointF& p : plane->linePoints(1)) EXPECT_NEAR(4 * p.x() + p.y(), 1.0, 1e-9);
  for (const QPointF& p : plane->linePoints(2)) EXPECT_NEAR(p.x() + 3 * p.y(), 2.0, 1e-9);
  ASSERT_TRUE(plane->solutionPoint());
  EXPECT_NEAR(plane->solutionPoint()->x(), 1.0 / 11.0, 1e-12);
  EXPECT_NEAR(plane->solutionPoint()->y(), 7.0 / 11.0, 1e-12);
  // One component at a time: the path alternates horizontal and vertical
  // moves, starting at the origin.
  const std::vector<QPointF> path = plane->pathPoints();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path[0], QPointF(0, 0));
  for (std::size_t k = 1; k < path.size(); ++k) {
    if (k % 2) EXPECT_EQ(path[k].y(), path[k - 1].y()) << k;
    else EXPECT_EQ(path[k].x(), path[k - 1].x()) << k;
  }
}

TEST_F(AnalysisViewTest, ConditionNumberOfHilbertSevenCheckedAndGrowthOnThePivotPlot) {
  writeFile(folder() / "c.dat", "Hilbert 7\n7 1\n0\n");
  selectFile(QStringLiteral("c.dat"));
  click(window(), kIdConditionNumber);
  click(window(), kIdGenerated);
  generator(1);
  select(window(), kIdNormList, 1);
  click(window(), kIdRead);
  solve();
  ASSERT_TRUE(view().analysis() && view().analysis()->condition);
  EXPECT_TRUE(text(view().errorsText()).contains(QStringLiteral("73.1 %")));

  // Gauss on a 3 x 3 system: the growth factor at each of the three steps.
  writeFile(folder() / "g.dat", "G\n3 1\n1 2 3\n4 5 6\n7 8 10\n1 1 1\n");
  selectFile(QStringLiteral("g.dat"));
  click(window(), kIdSystem);
  click(window(), kIdFromFile);
  select(window(), kIdMethodList, 1);
  click(window(), kIdRead);
  solve();
  const std::vector<QPointF> growth = Results()->pivotPlot()->growthPoints();
  ASSERT_EQ(growth.size(), 3u);
  for (const QPointF& p : growth) EXPECT_GE(p.y(), 0.0);
}

}  // namespace
}  // namespace parvela::qt::test
