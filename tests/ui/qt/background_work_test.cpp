// The window at work: runs and reads on the worker thread, the window
// answering meanwhile, one run per burst of clicks, the stop button, closing
// during work, and the signal that tells a run has ended.
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "run/saved_state.h"
#include "qt_test_support.h"
#include "ui/qt/progress_panel.h"

namespace parvela::qt::test {
namespace {

// Order of a run of Gauss inverting a band matrix that lasts a few seconds
// with the straightforward kernels (a shorter one for the quick cases).
constexpr int kLongOrder = 1800;  // long enough with the fast kernels too
constexpr int kShortOrder = 250;

int countOf(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Stops the work at the first checkpoint of a stage.
class StopAt final : public WorkMonitor {
 public:
  explicit StopAt(Stage s) : stage_(s) {}
  void progress(const Progress& p) override {
    if (p.stage == stage_) stop_ = true;
  }
  bool cancelRequested() override { return stop_; }

 private:
  Stage stage_;
  std::atomic<bool> stop_{false};
};

class WindowAtWork : public MainWindowTest {
 protected:
  BackgroundWork& work() { return *backgroundWorkOf(window()); }

  // A generated band matrix of order n, "Inversare matrice" with Gauss, read.
  void prepare(int n) {
    writeFile(folder() / "band.dat", "Banda\n" + std::to_string(n) + " 1\n3\n4 1 0.5\n");
    selectFile("band.dat");
    QtDialog& d = window();
    click(d, kIdInverse);
    click(d, kIdGenerated);
    select(d, kIdGeneratorList, 7);
    select(d, kIdMethodList, 1);
    click(d, kIdRead);
    ASSERT_TRUE(problem().dataRead);
    ASSERT_TRUE(enabled(d, kIdSolve));
  }
  std::string data() { return readFile(folder() / "band.dat"); }
  void pressSolve() { QTest::mouseClick(window().control(kIdSolve), Qt::LeftButton); }
};

TEST_F(WindowAtWork, TheWindowAnswersDuringALongRun) {
  prepare(kLongOrder);
  QtDialog& d = window();

  // A timer of the window's thread and the window's repaints, counted
  // while the run goes on.
  int ticks = 0, paints = 0;
  std::vector<qint64> gaps;
  qint64 last = 0;
  QElapsedTimer clock;
  struct PaintCounter : QObject {
    int* paints;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*paints;
      return false;
    }
  } counter;
  counter.paints = &paints;
  d.installEventFilter(&counter);
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    gaps.push_back(now - last);
    last = now;
    ++ticks;
    d.update();
  });

  pressSolve();
  ASSERT_TRUE(work().busy());
  clock.start();
  timer.start(20);
  // Nothing that could change the problem, the file or the choices can be
  // used; closing and the about box can.
  for (int id : {kIdSolve, kIdRead, kIdSelect, kIdOpen, kIdMethodList, kIdGeneratorList, kIdSystem,
                 kIdInverse, kIdSymmetric, kIdPrintMatrix, kIdEps, kIdFileHelp})
    EXPECT_FALSE(enabled(d, id)) << id;
  EXPECT_TRUE(enabled(d, kIdExit));
  EXPECT_TRUE(enabled(d, kIdAbout));

  bool panelSeen = false;
  QString stage;
  while (work().busy()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (work().panel()->shown() && !panelSeen) {
      panelSeen = true;
      EXPECT_GE(clock.elapsed(), BackgroundWork::kPanelDelayMs - 60);
    }
    if (work().panel()->shown()) stage = work().panel()->stageLabel()->text();
    ASSERT_LT(clock.elapsed(), 60000);
  }
  timer.stop();
  d.removeEventFilter(&counter);

  EXPECT_GT(clock.elapsed(), 1000) << "the run should last long enough to show anything";
  EXPECT_TRUE(panelSeen);
  EXPECT_FALSE(stage.isEmpty());
  // Every tick within 100 ms; one late tick is forgiven on a busy machine.
  std::sort(gaps.begin(), gaps.end());
  ASSERT_GE(gaps.size(), 2u);
  EXPECT_LT(gaps[gaps.size() - 2], 100);
  EXPECT_LT(gaps.back(), 300);
  EXPECT_GT(ticks, 20);
  EXPECT_GT(paints, 5);
  EXPECT_FALSE(work().panel()->shown());
  EXPECT_TRUE(enabled(d, kIdSolve));
  EXPECT_TRUE(enabled(d, kIdRead));
  EXPECT_FALSE(enabled(d, kIdEps));  // not an iterative method: stays as the rules left it
  EXPECT_EQ(countOf(data(), "Problema: Inversare matrice"), 1);
}

TEST_F(WindowAtWork, ABurstOfClicksGivesOneRunAndOneReport) {
  prepare(kShortOrder);
  QtDialog& d = window();
  pressSolve();
  EXPECT_TRUE(work().busy());
  for (int k = 0; k < 3; ++k) pressSolve();
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Return);
  QTest::keyClick(&d, Qt::Key_Return);
  QTest::keyClick(&d, Qt::Key_Enter);
  pressSolve();
  ASSERT_TRUE(work().waitUntilIdle());
  QCoreApplication::processEvents();
  EXPECT_EQ(countOf(data(), "Problema: Inversare matrice"), 1);
  EXPECT_EQ(lastWorkOutcome(), WorkOutcome::Completed);
  EXPECT_TRUE(platform_.questions.empty());  // no key reached IESIRE
  EXPECT_FALSE(window().isClosed());
}

TEST_F(WindowAtWork, OpresteStopsTheRunAndNothingChanges) {
  prepare(kLongOrder);
  const std::string before = data();
  const std::uint64_t digest = problemDigest();
  QSignalSpy finished(&work(), &BackgroundWork::workFinished);

  pressSolve();
  while (!work().panel()->shown()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(work().busy());
  }
  QPushButton* stop = work().panel()->stopButton();
  ASSERT_TRUE(stop->isVisible());
  EXPECT_EQ(stop->text(), "Opreste");
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(stop, Qt::LeftButton);
  ASSERT_TRUE(work().waitUntilIdle());
  EXPECT_LT(clock.elapsed(), 500);

  EXPECT_EQ(data(), before);
  EXPECT_EQ(problemDigest(), digest);
  ASSERT_EQ(finished.count(), 1);
  const auto result = finished.at(0).at(0).value<WorkResult>();
  EXPECT_EQ(result.kind, WorkKind::Run);
  EXPECT_EQ(result.outcome, WorkOutcome::Cancelled);
  EXPECT_TRUE(work().panel()->stageLabel()->text().contains("oprita"));
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_TRUE(enabled(window(), kIdSolve));
}

TEST_F(WindowAtWork, ClosingDuringWorkAsksFirst) {
  prepare(kLongOrder);
  const std::string before = data();
  QtDialog& d = window();
  pressSolve();
  QTest::qWait(50);

  platform_.answerYes = false;  // keep working
  QTest::keyClick(&d, Qt::Key_Escape);
  ASSERT_EQ(platform_.questions.size(), 1u);
  EXPECT_EQ(platform_.questions[0], "Calculul este in desfasurare.\nOpriti calculul si inchideti programul?");
  EXPECT_FALSE(d.isClosed());
  EXPECT_TRUE(work().busy());

  platform_.answerYes = true;  // stop and close
  d.close();
  EXPECT_EQ(platform_.questions.size(), 2u);
  ASSERT_TRUE(work().waitUntilIdle(2000));
  QCoreApplication::processEvents();
  EXPECT_TRUE(d.isClosed());
  EXPECT_EQ(data(), before);
}

TEST_F(WindowAtWork, AStoppedReadSaysSoAndNothingCanRun) {
  prepare(kShortOrder);
  StopAt stop(Stage::Reading);
  work().monitor().setObserver(&stop);
  platform_.boxes.clear();
  click(window(), kIdRead);
  work().monitor().setObserver(nullptr);
  EXPECT_FALSE(problem().dataRead);
  EXPECT_FALSE(enabled(window(), kIdSolve));
  ASSERT_EQ(platform_.boxes.size(), 1u);  // shown on the window's thread by the test platform
  EXPECT_EQ(platform_.boxes[0].text, "Citirea datelor a fost oprita.\nCititi din nou datele cu \"Citeste\".");
}

TEST_F(WindowAtWork, TheClockStopsWhileAMessageBoxWaitsForTheUser) {
  QStringList clock;  // the elapsed time shown as the box comes up and as it goes
  platform_.onMessage = [&] {
    clock << work().panel()->elapsedLabel()->text();
    QTest::qWait(1200);
    clock << work().panel()->elapsedLabel()->text();
  };
  ASSERT_TRUE(work().start(WorkKind::Run, [](Dialog&) {
    for (int k = 1; k <= 40; ++k) {  // long enough for the panel
      checkpoint(Stage::Elimination, k, 40);
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    platform().messageBox("Oprire", "Info", IconKind::Information);
  }));
  ASSERT_TRUE(work().waitUntilIdle());
  ASSERT_EQ(clock.size(), 2);
  EXPECT_FALSE(clock[0].isEmpty());
  EXPECT_EQ(clock[0], clock[1]);
}

TEST_F(WindowAtWork, TheEndOfARunIsSignalledWithItsStandardOutput) {
  copyExample("sistem3.dat");
  selectFile("sistem3.dat");
  QtDialog& d = window();
  click(d, kIdConditionNumber);
  select(d, kIdNormList, 1);
  click(d, kIdRead);
  QSignalSpy started(&work(), &BackgroundWork::workStarted);
  QSignalSpy finished(&work(), &BackgroundWork::workFinished);
  click(d, kIdSolve);
  ASSERT_EQ(started.count(), 1);
  ASSERT_EQ(finished.count(), 1);
  const auto result = finished.at(0).at(0).value<WorkResult>();
  EXPECT_EQ(result.outcome, WorkOutcome::Completed);
  EXPECT_NE(result.standardOutput.find("Numarul de conditie"), std::string::npos);
  EXPECT_EQ(result.standardOutput, platform_.out);

  // A refused run says so as well.
  writeFile(folder() / "sistem3.dat", "changed\n");
  click(d, kIdSolve);
  ASSERT_EQ(finished.count(), 2);
  EXPECT_EQ(finished.at(1).at(0).value<WorkResult>().outcome, WorkOutcome::Refused);
}

}  // namespace
}  // namespace parvela::qt::test
