// The main window as a real X server shows it right after start-up, at the
// default font: every text readable, the keyboard with the main window, not
// with the results beside it. With PARVELA_MAIN_WINDOW_PNG set, the window
// as the X server shows it is written to that file (the front page's
// picture, docs/main-window.png; scripts/screenshot --xvfb).
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "../qt/qt_test_support.h"
#include "ui/qt/results_window.h"

namespace parvela::qt::test {
namespace {

class RealMainWindow : public MainWindowTest {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "no X server (run under xvfb-run)";
    MainWindowTest::SetUp();
  }
};

TEST_F(RealMainWindow, AsItStartsAtTheDefaultFont) {
  QtDialog& d = window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Results()));
  EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
  EXPECT_EQ(QApplication::activeWindow(), &d);
  EXPECT_EQ(unreadableTexts(d), QStringList());

  QTest::qWait(200);
  const QImage shown = QGuiApplication::primaryScreen()->grabWindow(d.winId()).toImage();
  ASSERT_EQ(shown.size(), d.size() * d.devicePixelRatio());
  // Drawn: the group frames and texts differ from the background.
  int differing = 0;
  const QRgb background = shown.pixel(shown.width() - 2, shown.height() / 2);
  for (int y = 0; y < shown.height(); y += 3)
    for (int x = 0; x < shown.width(); x += 3) differing += shown.pixel(x, y) != background;
  EXPECT_GT(differing, shown.width() * shown.height() / 9 / 50);

  if (const QByteArray out = qgetenv("PARVELA_MAIN_WINDOW_PNG"); !out.isEmpty()) {
    EXPECT_TRUE(shown.save(QString::fromLocal8Bit(out), "PNG"));
  }
}

}  // namespace
}  // namespace parvela::qt::test
