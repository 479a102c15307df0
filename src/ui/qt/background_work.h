// The window's long work ("Citeste" and "REZOLVA !") on a worker thread.
//
// The work gets a stand-in for the window (DeferredDialog), so no widget is
// touched off the window's thread; the platform calls it makes (message
// boxes, standard output, file dialogs) are carried out on the window's
// thread. While it runs, every control that could change the problem, the
// file or the choices is disabled; the progress panel shows how far it is
// and can stop it (its clock leaves out the time the work waits for the
// user's answer to a message box). Closing the window during work asks
// first.
#pragma once

#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/progress.h"
#include "core/platform.h"
#include "core/run_result.h"
#include "core/steps.h"
#include "run/saved_state.h"
#include "ui/core/dialog.h"

namespace parvela {
class DeferredDialog;
}

namespace parvela::qt {

class GuiThreadPlatform;
class ProgressPanel;
class QtDialog;

// The monitor installed on the worker: keeps the latest progress for the
// window to show, answers the stop request, and passes every progress on to
// an optional second monitor (a recorder, a test) whose stop request also
// counts.
class WindowMonitor final : public WorkMonitor {
 public:
  void progress(const Progress& p) override;
  bool cancelRequested() override;

  void requestCancel() { cancel_.store(true, std::memory_order_relaxed); }
  void reset();
  // The latest progress, and how many checkpoints were reached so far.
  std::optional<Progress> latest() const;
  std::int64_t checkpoints() const { return count_.load(std::memory_order_relaxed); }

  // Set only while no work runs.
  void setObserver(WorkMonitor* observer) { observer_ = observer; }
  WorkMonitor* observer() const { return observer_; }

 private:
  mutable std::mutex mutex_;
  std::optional<Progress> latest_;
  std::atomic<std::int64_t> count_{0};
  std::atomic<bool> cancel_{false};
  WorkMonitor* observer_ = nullptr;
};

enum class WorkKind { Read, Run };

// How a piece of work ended, for whoever shows its results.
struct WorkResult {
  WorkKind kind = WorkKind::Run;
  WorkOutcome outcome = WorkOutcome::Completed;
  RunResult run;               // a run's result (kind Run)
  std::string standardOutput;  // the standard-output text of the work
  double seconds = 0.0;
};

class BackgroundWork : public QObject {
  Q_OBJECT
 public:
  // Takes over the "Citeste" and "REZOLVA !" callbacks of the main window.
  explicit BackgroundWork(QtDialog& window);
  ~BackgroundWork() override;

  bool busy() const { return busy_; }
  // Asks the work to stop at its next checkpoint.
  void cancel();
  WindowMonitor& monitor() { return monitor_; }
  // The listener installed on the worker for the step events of every run
  // and read (set only while no work runs).
  void setStepListener(StepListener* listener) { stepListener_ = listener; }
  ProgressPanel* panel() const { return panel_; }

  // Starts `work` on the worker with a stand-in of the window (false when
  // work already runs). Used by the two buttons; public for tests.
  bool start(WorkKind kind, std::function<void(Dialog&)> work);
  // Waits, answering events, until no work runs (or the timeout passed).
  bool waitUntilIdle(int timeoutMs = 60000);

  // How long work runs before the progress panel appears.
  static constexpr int kPanelDelayMs = 300;

 signals:
  void workStarted(parvela::qt::WorkKind kind);
  void workFinished(const parvela::qt::WorkResult& result);

 private:
  void finish();
  void refresh();
  bool allowClose();
  void lockControls();
  void unlockControls();
  // Time the work has run, without the time spent waiting for the user.
  qint64 workMs() const;

  QtDialog& window_;
  WindowMonitor monitor_;
  StepListener* stepListener_ = nullptr;
  RunResult run_;  // written by the worker, read once it has ended
  GuiThreadPlatform* marshal_ = nullptr;
  Platform* previousPlatform_ = nullptr;
  ProgressPanel* panel_ = nullptr;
  QTimer refreshTimer_;
  QElapsedTimer clock_;
  QElapsedTimer waitClock_;  // since the current wait for the user began
  qint64 waitedMs_ = 0;      // the waits that ended
  int waiting_ = 0;
  qint64 frozenMs_ = 0;      // the work time when the current wait began
  std::thread worker_;
  std::unique_ptr<DeferredDialog> standIn_;
  std::map<int, bool> enabledBefore_;
  QPointer<QWidget> focusBefore_;
  Qt::FocusPolicy focusPolicyBefore_ = Qt::NoFocus;
  WorkKind kind_ = WorkKind::Run;
  bool busy_ = false;
  bool closeWhenDone_ = false;
};

// The background work of the main window, when it has one.
BackgroundWork* backgroundWorkOf(QtDialog& window);

}  // namespace parvela::qt

Q_DECLARE_METATYPE(parvela::qt::WorkKind)
Q_DECLARE_METATYPE(parvela::qt::WorkResult)
