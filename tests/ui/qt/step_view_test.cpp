// The "Pas cu pas" tab after real runs: walked with the keys, the buttons
// and the list through every step of a 4x4 Gauss run with interchanges;
// an order-10 system fits the results window without scrolling; the exact
// toggle and the export.
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <random>

#include "qt_test_support.h"
#include "ui/qt/results_window.h"
#include "ui/qt/step_grid.h"
#include "ui/qt/step_view.h"

namespace parvela::qt::test {
namespace {

// Column 1's largest entry is in row 2, and later columns interchange too.
constexpr const char* kInterchanges4 =
    "Sistem 4x4\n4 1\n1 2 -1 3\n4 -2 1 0\n2 5 3 -1\n-3 1 2 4\n5 3 9 4\n";

class StepViewTest : public MainWindowTest {
 protected:
  void idle() {
    if (BackgroundWork* w = backgroundWorkOf(window())) {
      ASSERT_TRUE(w->waitUntilIdle());
    }
  }
  void run(const std::string& name, const std::string& bytes, int method) {
    writeFile(folder() / name, bytes);
    selectFile(QString::fromStdString(name));
    select(window(), kIdMethodList, method);
    click(window(), kIdRead);
    idle();
    ASSERT_TRUE(problem().dataRead);
    click(window(), kIdSolve);
    idle();
  }
  StepView& view() {
    ResultsWindow* r = Results();
    EXPECT_NE(r, nullptr);
    r->tabs()->setCurrentWidget(r->stepView());
    return *r->stepView();
  }
  void key(StepView& v, Qt::Key k) {
    QTest::keyClick(v.stepList(), k);
    QApplication::processEvents();
  }
};

TEST_F(StepViewTest, WalksEveryStepOfAGaussRunWithInterchanges) {
  run("s4.dat", kInterchanges4, 1);
  StepView& v = view();
  Results()->show();
  QApplication::processEvents();
  // The data, four columns, four unknowns.
  ASSERT_EQ(v.pageCount(), 9u);
  EXPECT_EQ(v.page(), 0u);
  v.stepList()->setFocus();
  key(v, Qt::Key_End);
  EXPECT_EQ(v.page(), 8u);
  key(v, Qt::Key_Home);
  EXPECT_EQ(v.page(), 0u);

  int interchangePages = 0;
  for (std::size_t p = 0; p < v.pageCount(); ++p) {
    SCOPED_TRACE("page " + std::to_string(p));
    EXPECT_EQ(v.page(), p);
    EXPECT_EQ(v.slider()->value(), static_cast<int>(p)) << "the slider follows";
    EXPECT_EQ(v.stepList()->currentIndex().row(), static_cast<int>(p)) << "the list follows";
    const StepGrid& g = v.gridView()->grid();
    EXPECT_EQ(g.rows, 4);
    EXPECT_EQ(g.cols, 5) << "[A | b]";
    EXPECT_EQ(g.barAfter, 4);
    EXPECT_FALSE(v.wordsLabel()->text().isEmpty());
    if (!g.markedRows.empty()) {
      ++interchangePages;
      EXPECT_TRUE(v.wordsLabel()->text().contains(QStringLiteral("Schimbare de linii")));
    }
    const auto pivots = std::count_if(g.cells.begin(), g.cells.end(),
                                      [](const StepCell& c) { return c.mark == CellMark::Pivot; });
    EXPECT_EQ(pivots, p == 0 ? 0 : 1) << "one marked pivot or unknown per step";
    key(v, Qt::Key_Right);
  }
  EXPECT_EQ(v.page(), 8u) << "Right stops at the last step";
  EXPECT_GE(interchangePages, 2);

  // The last step holds the solutions the report wrote.
  const StepGrid& last = v.gridView()->grid();
  const std::vector<float>& x = problem().B;
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(*last.cell(i, 5).value, x[static_cast<std::size_t>(i - 1)]);

  // The buttons and the slider move too; Left steps back.
  v.setPage(3);
  key(v, Qt::Key_Left);
  EXPECT_EQ(v.page(), 2u);
  v.slider()->setValue(5);
  EXPECT_EQ(v.page(), 5u);
  v.findChildren<QToolButton*>()[0]->click();  // first
  EXPECT_EQ(v.page(), 0u);

  // The exact values beside: the data are integers, so the first page's
  // exact values are the same numbers and the replay uses rationals only.
  v.exactToggle()->click();
  ASSERT_TRUE(v.exact());
  EXPECT_TRUE(v.exactLabel()->isVisible());
  EXPECT_EQ(v.gridView()->grid().cell(2, 1).exact, "4");
  v.setPage(8);
  EXPECT_FALSE(v.gridView()->grid().cell(1, 5).exact.empty());

  // One button, three formats.
  for (const char* name : {"pasi.tex", "pasi.txt", "pasi.jsonl"}) {
    ASSERT_TRUE(v.exportTo(QString::fromStdString((folder() / name).string()))) << name;
    EXPECT_GT(std::filesystem::file_size(folder() / name), 500u) << name;
  }
  EXPECT_NE(readFile(folder() / "pasi.tex").find("\\begin{bmatrix}"), std::string::npos);
}

TEST_F(StepViewTest, AnOrderTenSystemFitsTheWindowWithoutScrolling) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-9.0, 9.0);
  std::string data = "Ordin 10\n10 1\n";
  char buf[32];
  for (int k = 0; k < 110; ++k) {
    std::snprintf(buf, sizeof buf, "%.6f%c", u(rng), k % 10 == 9 ? '\n' : ' ');
    data += buf;
  }
  run("r10.dat", data, 1);
  StepView& v = view();
  Results()->resize(760, 560);
  Results()->show();
  QApplication::processEvents();
  for (std::size_t p = 0; p <= 10; ++p) {
    v.setPage(p);
    QApplication::processEvents();
    SCOPED_TRACE("page " + std::to_string(p));
    EXPECT_FALSE(v.gridArea()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(v.gridArea()->verticalScrollBar()->isVisible());
    EXPECT_GE(v.gridView()->pointSize(), StepGridView::kSmallestPoint);
  }
}

}  // namespace
}  // namespace parvela::qt::test
