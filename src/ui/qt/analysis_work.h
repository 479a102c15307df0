// The analysis of a run off the window's thread. It works on a private
// copy of the run's starting state and never touches the program's problem
// or file, so the window stays free while it runs: "Citeste" and
// "REZOLVA !" only ask it to stop (it stops at its next step). One piece of
// analysis at a time; a piece asked for while another runs waits for it to
// stop.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "analysis/analysis_progress.h"
#include "core/progress.h"

namespace parvela::qt {

class AnalysisWork : public QObject {
  Q_OBJECT
 public:
  explicit AnalysisWork(QObject* parent = nullptr);
  ~AnalysisWork() override;

  using Job = std::function<void(const AnalysisProgress&)>;
  // Called on the window's thread when the job has ended: true when it
  // completed, false when it was stopped or failed.
  using Done = std::function<void(bool completed)>;

  // Runs `job` on a thread of its own; a job already running is stopped
  // first and this one starts when it has.
  void start(const QString& title, Job job, Done done);
  // Asks the running job to stop at its next step; a waiting one is dropped.
  void cancel();
  bool busy() const { return thread_.joinable(); }
  QString title() const { return title_; }
  QString failure() const { return failure_; }
  // Waits, answering events, until nothing runs (or the timeout passed).
  bool waitUntilIdle(int timeoutMs = 60000);

 signals:
  // What the job is doing (every 100 ms while it runs).
  void progressed(const QString& what, int done, int total);
  void started(const QString& title);
  void finished(bool completed);

 private:
  class Monitor final : public WorkMonitor {
   public:
    void progress(const Progress&) override {}
    bool cancelRequested() override { return stop.load(std::memory_order_relaxed); }
    std::atomic<bool> stop{false};
  };
  struct Pending {
    QString title;
    Job job;
    Done done;
  };

  void launch(Pending next);
  void finish();
  void poll();

  Monitor monitor_;
  std::thread thread_;
  QString title_;
  QString failure_;
  Done done_;
  std::optional<Pending> pending_;
  std::atomic<bool> completed_{false};
  QTimer timer_;
  mutable std::mutex mutex_;  // guards the progress below
  std::string what_;
  int done_steps_ = 0;
  int total_steps_ = 0;
  std::string error_;
};

}  // namespace parvela::qt
