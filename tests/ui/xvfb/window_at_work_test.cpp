// The real window on a real X server (run under xvfb-run): while a long run
// goes on, the window repaints when it is uncovered, the X server shows the
// progress panel, and the window keeps answering. With PARVELA_SCREENSHOT
// set, the window is captured from the X server (ImageMagick's import) into
// that file while the run goes on.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QScreen>

#include "../qt/qt_test_support.h"
#include "ui/qt/progress_panel.h"

namespace parvela::qt::test {
namespace {

class RealWindowAtWork : public MainWindowTest {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "no X server (run under xvfb-run)";
    MainWindowTest::SetUp();
  }
};

TEST_F(RealWindowAtWork, RepaintsWhenUncoveredDuringALongRun) {
  QtDialog& d = window();
  writeFile(folder() / "band.dat", "Banda\n1800 1\n3\n4 1 0.5\n");
  selectFile("band.dat");
  click(d, kIdInverse);
  click(d, kIdGenerated);
  select(d, kIdGeneratorList, 7);
  select(d, kIdMethodList, 1);
  click(d, kIdDeterminant);
  click(d, kIdRead);
  ASSERT_TRUE(problem().dataRead);
  d.raise();
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));

  BackgroundWork& work = *backgroundWorkOf(d);
  QTest::mouseClick(d.control(kIdSolve), Qt::LeftButton);
  ASSERT_TRUE(work.busy());

  // Wait for the panel, then cover the window with another one and
  // uncover it: the X server asks the window to repaint, and it does.
  while (!work.panel()->shown()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(work.busy()) << "the run ended too soon";
  }
  QTest::qWait(150);
  const QString stage = work.panel()->stageLabel()->text();
  EXPECT_FALSE(stage.isEmpty());

  struct PaintClock : QObject {
    QElapsedTimer since;
    qint64 firstPaint = -1;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint && firstPaint < 0 && since.isValid()) firstPaint = since.elapsed();
      return false;
    }
  } paints;
  QWidget cover;
  cover.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  cover.setGeometry(d.frameGeometry().adjusted(-10, -10, 10, 10));
  cover.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
  QTest::qWait(50);
  d.installEventFilter(&paints);
  paints.since.start();
  cover.hide();
  while (paints.firstPaint < 0 && paints.since.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  d.removeEventFilter(&paints);
  ASSERT_TRUE(work.busy()) << "the run ended too soon";
  EXPECT_GE(paints.firstPaint, 0);
  EXPECT_LT(paints.firstPaint, 100);

  // What the X server shows: the window with its panel below the controls.
  QTest::qWait(200);
  const QImage shown = QGuiApplication::primaryScreen()->grabWindow(d.winId()).toImage();
  EXPECT_EQ(shown.height(), d.height());
  const QImage panel = shown.copy(0, d.height() - work.panel()->height(), d.width(), work.panel()->height());
  bool varied = false;  // not a blank area: text, bar and button are drawn
  for (int y = 0; y < panel.height() && !varied; ++y)
    for (int x = 1; x < panel.width() && !varied; ++x) varied = panel.pixel(x, y) != panel.pixel(0, 0);
  EXPECT_TRUE(varied);

  if (const QByteArray out = qgetenv("PARVELA_SCREENSHOT"); !out.isEmpty()) {
    QTest::qWait(400);
    const int status = QProcess::execute(QStringLiteral("import"),
                                         {QStringLiteral("-window"), QString::number(d.winId()),
                                          QString::fromLocal8Bit(out)});
    EXPECT_EQ(status, 0);
  }

  work.cancel();
  ASSERT_TRUE(work.waitUntilIdle(2000));
}

}  // namespace
}  // namespace parvela::qt::test
