#include "ui/qt/background_work.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "run/dispatcher.h"
#include "ui/core/controls.h"
#include "ui/core/deferred_dialog.h"
#include "ui/core/templates.h"
#include "ui/qt/gui_thread_platform.h"
#include "ui/qt/progress_panel.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_platform.h"

namespace parvela::qt {

// ---------------------------------------------------------------------------
// Monitor

void WindowMonitor::progress(const Progress& p) {
  {
    std::lock_guard lock(mutex_);
    latest_ = p;
  }
  count_.fetch_add(1, std::memory_order_relaxed);
  if (observer_) observer_->progress(p);
}

bool WindowMonitor::cancelRequested() {
  if (cancel_.load(std::memory_order_relaxed)) return true;
  return observer_ && observer_->cancelRequested();
}

void WindowMonitor::reset() {
  std::lock_guard lock(mutex_);
  latest_.reset();
  count_.store(0);
  cancel_.store(false);
}

std::optional<Progress> WindowMonitor::latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

// ---------------------------------------------------------------------------
// Work

namespace {

constexpr const char* kCloseQuestion =
    "Calculul este in desfasurare.\nOpriti calculul si inchideti programul?";

// The controls that stay usable while work runs: closing (it asks first)
// and the about box, which changes nothing.
bool staysEnabled(int id) { return id == kIdExit || id == kIdAbout || id == kIdCancel; }

}  // namespace

BackgroundWork::BackgroundWork(QtDialog& window) : QObject(&window), window_(window) {
  setObjectName(QStringLiteral("backgroundWork"));
  marshal_ = new GuiThreadPlatform(this);
  panel_ = new ProgressPanel(&window);
  connect(panel_, &ProgressPanel::stopClicked, this, &BackgroundWork::cancel);
  refreshTimer_.setInterval(50);
  connect(&refreshTimer_, &QTimer::timeout, this, &BackgroundWork::refresh);
  connect(marshal_, &GuiThreadPlatform::userWaitStarted, this, [this] {
    if (waiting_++ == 0) {
      frozenMs_ = workMs();
      waitClock_.start();
      refresh();  // the clock shown stops at the time the question came up
    }
  });
  connect(marshal_, &GuiThreadPlatform::userWaitEnded, this, [this] {
    if (--waiting_ == 0) waitedMs_ += waitClock_.elapsed();
  });

  window.DLG_SET_CALLBACK(kIdRead, [this](Dialog&, int id, int event) {
    start(WorkKind::Read, [id, event](Dialog& d) { SUB_GENERAL(d, id, event); });
  });
  window.DLG_SET_CALLBACK(kIdSolve, [this](Dialog&, int id, int event) {
    start(WorkKind::Run, [this, id, event](Dialog& d) { run_ = solveProblem(&d, id, event); });
  });
  window.setCloseGuard([this] { return allowClose(); });
}

BackgroundWork::~BackgroundWork() {
  window_.setCloseGuard({});
  if (worker_.joinable()) {
    // The window goes away: the work stops without waiting for it.
    monitor_.requestCancel();
    marshal_->abandon();
    worker_.join();
    if (previousPlatform_) setPlatform(previousPlatform_);
  }
}

bool BackgroundWork::start(WorkKind kind, std::function<void(Dialog&)> work) {
  if (busy_) return false;  // a click queued during work does nothing
  busy_ = true;
  kind_ = kind;
  run_ = RunResult{};
  closeWhenDone_ = false;
  panel_->hidePanel();
  standIn_ = std::make_unique<DeferredDialog>(window_, window_.dialogTemplate());
  lockControls();

  monitor_.reset();
  previousPlatform_ = &platform();
  marshal_->setTarget(previousPlatform_);
  marshal_->takeStandardOutput();
  setPlatform(marshal_);
  clock_.start();
  waitedMs_ = 0;
  waiting_ = 0;
  refreshTimer_.start();
  emit workStarted(kind);

  DeferredDialog* standIn = standIn_.get();
  worker_ = std::thread([this, standIn, work = std::move(work)] {
#ifdef __linux__
    // The window's thread comes first when both want the processor.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
#endif
    {
      MonitorScope scope(&monitor_);
      StepScope steps(stepListener_);
      try {
        work(*standIn);
      } catch (const WorkCancelled&) {
        setLastWorkOutcome(WorkOutcome::Cancelled);
      } catch (const std::exception& e) {
        setLastWorkOutcome(WorkOutcome::Refused);
        platform().messageBox(std::string("Eroare interna: ") + e.what(), "Error", IconKind::Error);
      }
    }
    QMetaObject::invokeMethod(this, &BackgroundWork::finish, Qt::QueuedConnection);
  });
  return true;
}

void BackgroundWork::finish() {
  if (!busy_) return;
  if (worker_.joinable()) worker_.join();
  refreshTimer_.stop();
  setPlatform(previousPlatform_);
  previousPlatform_ = nullptr;

  WorkResult result;
  result.kind = kind_;
  result.outcome = lastWorkOutcome();
  if (kind_ == WorkKind::Run) {
    result.run = run_;
    // A stop that came before the run began still counts as a stop.
    if (result.outcome == WorkOutcome::Cancelled) result.run.status = RunStatus::Cancelled;
  }
  result.standardOutput = marshal_->takeStandardOutput();
  result.seconds = workMs() / 1000.0;

  unlockControls();
  standIn_->applyTo(window_);
  standIn_.reset();
  busy_ = false;

  if (result.outcome == WorkOutcome::Cancelled && !closeWhenDone_) {
    panel_->showOutcome(kind_ == WorkKind::Run
                            ? QStringLiteral("Rezolvarea a fost oprita; fisierul de date nu a fost modificat.")
                            : QStringLiteral("Citirea a fost oprita; nu s-a citit nimic."));
    QTimer::singleShot(4000, panel_, [panel = panel_, this] {
      if (!busy_) panel->hidePanel();
    });
  } else {
    panel_->hidePanel();
  }
  emit workFinished(result);
  if (closeWhenDone_) {
    closeWhenDone_ = false;
    window_.done(kIdCancel);
  }
}

void BackgroundWork::cancel() {
  if (busy_) monitor_.requestCancel();
}

bool BackgroundWork::waitUntilIdle(int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (busy_ && t.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !busy_;
}

qint64 BackgroundWork::workMs() const {
  if (waiting_ > 0) return frozenMs_;
  return clock_.elapsed() - waitedMs_;
}

void BackgroundWork::refresh() {
  if (!busy_) return;
  const qint64 ms = workMs();
  if (ms < kPanelDelayMs && !panel_->shown()) return;
  panel_->showProgress(monitor_.latest(), ms / 1000.0);
}

bool BackgroundWork::allowClose() {
  if (!busy_) return true;
  bool yes = false;
  if (auto* desktop = previousPlatform_ ? dynamic_cast<QtPlatform*>(&previousPlatform_->forwardsTo()) : nullptr)
    yes = desktop->question(QString::fromUtf8(kCloseQuestion), QStringLiteral("Parvela"));
  else
    yes = QMessageBox::question(&window_, QStringLiteral("Parvela"), QString::fromUtf8(kCloseQuestion)) ==
          QMessageBox::Yes;
  if (yes && busy_) {
    closeWhenDone_ = true;
    cancel();
  }
  return !busy_ && yes;  // the work may have ended while the question was open
}

void BackgroundWork::lockControls() {
  enabledBefore_.clear();
  // The keyboard focus goes to the window itself, not to the next control
  // that stays enabled (an Enter pressed again would press IESIRE).
  focusBefore_ = QApplication::focusWidget();
  focusPolicyBefore_ = window_.focusPolicy();
  window_.setFocusPolicy(Qt::StrongFocus);
  window_.setFocus(Qt::OtherFocusReason);
  for (const ControlTemplate& c : window_.dialogTemplate().controls) {
    if (c.id == kNoId || staysEnabled(c.id)) continue;
    QWidget* w = window_.control(c.id);
    if (!w) continue;
    enabledBefore_[c.id] = w->isEnabled();
    w->setEnabled(false);
  }
}

void BackgroundWork::unlockControls() {
  for (const auto& [id, enabled] : enabledBefore_)
    if (QWidget* w = window_.control(id)) w->setEnabled(enabled);
  enabledBefore_.clear();
  window_.setFocusPolicy(focusPolicyBefore_);
  if (focusBefore_ && focusBefore_->isEnabled()) focusBefore_->setFocus(Qt::OtherFocusReason);
  focusBefore_ = nullptr;
}

BackgroundWork* backgroundWorkOf(QtDialog& window) {
  return window.findChild<BackgroundWork*>(QStringLiteral("backgroundWork"), Qt::FindDirectChildrenOnly);
}

}  // namespace parvela::qt
