// The main window as the program starts it, and the control rules driven
// by real clicks, key presses and list selections.
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "qt_test_support.h"

namespace parvela::qt::test {
namespace {

QStringList entries(QtDialog& d, int listId) {
  QStringList out;
  auto* list = d.controlAs<QListWidget>(listId);
  for (int i = 0; list && i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

using MainWindowStart = MainWindowTest;

// The start-up state the rules give is checked on the model dialog
// (tests/ui/controls_test.cpp); here: the window the program starts, with
// the rules applied and shown.
TEST_F(MainWindowStart, EveryControlAsTheProgramStarts) {
  QtDialog& d = window();
  EXPECT_EQ(d.windowTitle(), "Parvela");
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(d.windowIcon().isNull());

  EXPECT_TRUE(checked(d, kIdSystem));
  EXPECT_FALSE(enabled(d, kIdSolve));
  EXPECT_EQ(entries(d, kIdMethodList), QStringList({"Gauss", "LU", "Cholesky", "Gauss-Seidel", "SOR"}));
  EXPECT_EQ(d.controlAs<QAbstractButton>(kIdPrintMatrix)->text(), "Matrice");
  EXPECT_EQ(d.label(kIdMethodLabel), " ");
  EXPECT_EQ(d.controlAs<QLabel>(kIdMethodLabel)->text(), "") << "trailing blanks are not shown";
  for (int id : {kIdFilePath, kIdOrder, kIdRhsCount, kIdEps, kIdNlim, kIdOmega})
    EXPECT_EQ(shownText(d, id), "") << id;
  for (int id : {kIdFilePath, kIdOrder, kIdRhsCount}) EXPECT_TRUE(d.controlAs<QLineEdit>(id)->isReadOnly());

  EXPECT_TRUE(d.controlAs<QPushButton>(kIdSolve)->isDefault());
  EXPECT_FALSE(d.control(kIdCancel)->isVisible());
  EXPECT_TRUE(platform_.boxes.empty());
}

TEST_F(MainWindowStart, ClosingEndsTheProgram) {
  // IESIRE, Esc and the close box all close the window; the window's own
  // callback then ends the message loop with status 0.
  for (int how = 0; how < 3; ++how) {
    MainDialog().reset();
    ASSERT_TRUE(startMainWindow());
    QtDialog& d = window();
    QTimer::singleShot(0, &d, [&d, how] {
      if (how == 0) click(d, kIdExit);
      if (how == 1) QTest::keyClick(&d, Qt::Key_Escape);
      if (how == 2) d.close();
    });
    QTimer guard;  // in case the window did not end the loop
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << how;
    guard.stop();
    EXPECT_TRUE(d.isClosed()) << how;
    EXPECT_FALSE(d.isVisible()) << how;
  }
}

TEST(MainWindowFailure, StartUpFailureBox) {
  TestPlatform platform;
  setPlatform(&platform);
  EXPECT_FALSE(startMainWindow(999));  // no such template
  EXPECT_FALSE(MainDialog());
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, "Error initializing application Parvela");
  EXPECT_EQ(platform.boxes[0].caption, "Error");
  EXPECT_EQ(platform.boxes[0].icon, IconKind::None);
  setPlatform(nullptr);
}

// ---------------------------------------------------------------------------
// Keyboard

using Keyboard = MainWindowTest;

// The control that has the keyboard focus (kNoId for none of the window's).
int focusedControl(QtDialog& d) {
  QWidget* focus = QApplication::focusWidget();
  for (const ControlTemplate& c : d.dialogTemplate().controls)
    if (c.id != kNoId && d.control(c.id) == focus) return c.id;
  return kNoId;
}

TEST_F(Keyboard, TabFollowsTheTemplateOrder) {
  QtDialog& d = window();
  readExample("sistem3.dat", 5);  // every control of a system by SOR enabled
  d.control(kIdSystem)->setFocus();
  std::vector<int> order{focusedControl(d)};
  for (int k = 0; k < 40; ++k) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (focusedControl(d) == order.front()) break;
    order.push_back(focusedControl(d));
  }
  // The template's order; of a group of radio buttons, the checked one.
  EXPECT_EQ(order, (std::vector<int>{kIdSystem, kIdGeneral, kIdInvertElements, kIdFromFile, kIdGeneratorHelp,
                                     kIdPrintMatrix, kIdMaxDifferences, kIdMethodList, kIdSelect, kIdOpen,
                                     kIdRead, kIdSolve, kIdFileHelp, kIdExit, kIdFilePath, kIdOrder, kIdRhsCount,
                                     kIdAbout, kIdEps, kIdNlim, kIdOmega, kIdIterationHelp, kIdIterations}));
}

TEST_F(Keyboard, TheMainWindowKeepsTheFocusAtStartAndAfterARun) {
  QtDialog& d = window();
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &d);
  readExample("sistem3.dat", 1);
  d.control(kIdSolve)->setFocus();
  QTest::keyClick(d.control(kIdSolve), Qt::Key_Space);
  ASSERT_TRUE(backgroundWorkOf(d)->waitUntilIdle());
  QCoreApplication::processEvents();
  EXPECT_NE(readFile(folder() / "sistem3.dat").find("Metoda: Gauss"), std::string::npos);
  EXPECT_EQ(QApplication::activeWindow(), &d);
  EXPECT_EQ(focusedControl(d), kIdSolve);
}

// ---------------------------------------------------------------------------
// Texts that fit

// Also run at 125 % (QT_SCALE_FACTOR=1.25, see CMakeLists.txt).
using ReadableTexts = MainWindowTest;

TEST_F(ReadableTexts, EveryTextWholeOnItsControlOrInItsTooltip) {
  QtDialog& d = window();
  std::cerr << "scale " << d.devicePixelRatioF() << ", font " << QFontInfo(d.font()).family().toStdString()
            << " " << QFontInfo(d.font()).pointSizeF() << " pt\n";
  EXPECT_EQ(unreadableTexts(d), QStringList());
  // The texts the rules set and long ones typed by the user.
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  copyExample("sistem3.dat");
  selectFile("sistem3.dat");
  select(d, kIdMethodList, 5);
  typeInto(d, kIdEps, "0.000012345");
  typeInto(d, kIdNlim, "1000000");
  typeInto(d, kIdOmega, "1.23456789");
  d.control(kIdSelect)->setFocus();
  EXPECT_EQ(unreadableTexts(d), QStringList());
  // A box too small for its number shows its leading digits.
  EXPECT_EQ(d.controlAs<QLineEdit>(kIdEps)->cursorPosition(), 0);
  select(d, kIdMethodList, 4);
  click(d, kIdConditionNumber);
  EXPECT_EQ(unreadableTexts(d), QStringList());

  host_.onShow = [](QtDialog& box) { EXPECT_EQ(unreadableTexts(box), QStringList()) << box.windowTitle().toStdString(); };
  click(d, kIdFileHelp);
  click(d, kIdAbout);
  click(d, kIdIterationHelp);
  EXPECT_EQ(host_.shown.size(), 3u);
}

// The control rules are checked on the model dialog
// (tests/ui/controls_test.cpp); here: real clicks, selections and keys reach
// them, and what they set is shown.
using ControlRules = MainWindowTest;

TEST_F(ControlRules, ProblemButtonsAndTheShownLabel) {
  QtDialog& d = window();
  click(d, kIdConditionNumber);
  EXPECT_EQ(problem().problemKind, ProblemKind::ConditionNumber);
  EXPECT_TRUE(enabled(d, kIdNormList));
  EXPECT_EQ(d.controlAs<QAbstractButton>(kIdPrintMatrix)->text(), "Matrice inversa");
  click(d, kIdSystem);
  EXPECT_EQ(problem().problemKind, ProblemKind::System);
  EXPECT_FALSE(checked(d, kIdConditionNumber));
  EXPECT_FALSE(enabled(d, kIdNormList));
  EXPECT_EQ(d.controlAs<QAbstractButton>(kIdPrintMatrix)->text(), "Matrice");
}

TEST_F(ControlRules, CholeskyBoxAndTheRadioButtonItTurnsOn) {
  QtDialog& d = window();
  select(d, kIdMethodList, 3);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "Metoda Cholesky:\nTipul Matrice: trebuie sa fie 'Simetrica'");
  EXPECT_TRUE(checked(d, kIdSymmetric));
  EXPECT_FALSE(checked(d, kIdGeneral));
}

TEST_F(ControlRules, MethodLabelShownWithoutItsPadding) {
  QtDialog& d = window();
  select(d, kIdMethodList, 5);
  EXPECT_EQ(d.controlAs<QLabel>(kIdMethodLabel)->text(), "SOR");
  EXPECT_EQ(d.label(kIdMethodLabel), fixedText("SOR", kNameLength));  // kept as set, shown trimmed
  select(d, kIdMethodList, 4);
  EXPECT_EQ(d.controlAs<QLabel>(kIdMethodLabel)->text(), "Gauss-Seidel");
  select(d, kIdMethodList, 2);
  EXPECT_EQ(d.controlAs<QLabel>(kIdMethodLabel)->text(), "");
}

TEST_F(ControlRules, TypingAndDeletingReachTheParameterTexts) {
  QtDialog& d = window();
  select(d, kIdMethodList, 5);
  typeInto(d, kIdOmega, "1.25");
  EXPECT_EQ(problem().omegaText, "1.25      ");
  auto* omega = d.controlAs<QLineEdit>(kIdOmega);
  omega->selectAll();
  QTest::keyClick(omega, Qt::Key_Delete);
  EXPECT_EQ(problem().omegaText, std::string(10, ' '));
}

TEST_F(ControlRules, ParameterMessageBoxes) {
  // The parameter check belongs to the run: it needs data read first.
  QtDialog& d = window();
  readExample("sistem3.dat", 4);
  ASSERT_TRUE(enabled(d, kIdSolve));
  platform_.boxes.clear();
  click(d, kIdSolve);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].text, "Introdu EPS si/sau NLIM");
  EXPECT_EQ(platform_.boxes[0].caption, "Eroare");
  EXPECT_EQ(platform_.boxes[0].icon, IconKind::Error);

  select(d, kIdMethodList, 5);
  typeInto(d, kIdEps, "1e-5");
  typeInto(d, kIdNlim, "100");
  click(d, kIdSolve);
  ASSERT_EQ(platform_.boxes.size(), 2u);
  EXPECT_EQ(platform_.boxes[1].text, "Introdu EPS si/sau NLIM si/sau OMEGA");
  EXPECT_EQ(platform_.boxes[1].caption, "Eroare");
  EXPECT_EQ(readFile(folder() / "sistem3.dat"), readFile(std::filesystem::path(PARVELA_SOURCE_DIR) / "examples/sistem3.dat"));
}

}  // namespace
}  // namespace parvela::qt::test
