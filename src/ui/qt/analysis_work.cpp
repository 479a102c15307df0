#include "ui/qt/analysis_work.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <exception>
#include <new>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace parvela::qt {

AnalysisWork::AnalysisWork(QObject* parent) : QObject(parent) {
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &AnalysisWork::poll);
}

AnalysisWork::~AnalysisWork() {
  pending_.reset();
  monitor_.stop.store(true);
  if (thread_.joinable()) thread_.join();
}

void AnalysisWork::start(const QString& title, Job job, Done done) {
  Pending next{title, std::move(job), std::move(done)};
  if (busy()) {
    monitor_.stop.store(true);
    pending_ = std::move(next);
    return;
  }
  launch(std::move(next));
}

void AnalysisWork::cancel() {
  pending_.reset();
  if (busy()) monitor_.stop.store(true);
}

void AnalysisWork::launch(Pending next) {
  title_ = next.title;
  failure_.clear();
  done_ = std::move(next.done);
  monitor_.stop.store(false);
  completed_.store(false);
  {
    std::lock_guard lock(mutex_);
    what_.clear();
    done_steps_ = total_steps_ = 0;
    error_.clear();
  }
  timer_.start();
  thread_ = std::thread([this, job = std::move(next.job)] {
#ifdef __linux__
    // Behind the window and behind a run: the analysis can wait.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
    const AnalysisProgress progress = [this](std::string_view what, std::int32_t done, std::int32_t total) {
      std::lock_guard lock(mutex_);
      what_.assign(what);
      done_steps_ = done;
      total_steps_ = total;
    };
    try {
      MonitorScope scope(&monitor_);
      job(progress);
      completed_.store(!monitor_.stop.load());
    } catch (const WorkCancelled&) {
    } catch (const std::bad_alloc&) {
      std::lock_guard lock(mutex_);
      error_ = "Memorie insuficienta pentru analiza.";
    } catch (const std::exception& e) {
      std::lock_guard lock(mutex_);
      error_ = std::string("Eroare interna: ") + e.what();
    }
    QMetaObject::invokeMethod(this, &AnalysisWork::finish, Qt::QueuedConnection);
  });
  emit started(title_);
}

void AnalysisWork::poll() {
  std::lock_guard lock(mutex_);
  if (!what_.empty()) emit progressed(QString::fromStdString(what_), done_steps_, total_steps_);
}

void AnalysisWork::finish() {
  if (!thread_.joinable()) return;
  thread_.join();
  timer_.stop();
  {
    std::lock_guard lock(mutex_);
    failure_ = QString::fromStdString(error_);
  }
  // A job that was asked to stop has not completed, even if it got to its end.
  const bool completed = completed_.load() && !monitor_.stop.load();
  Done done = std::move(done_);
  done_ = nullptr;
  if (done) done(completed);
  emit finished(completed);
  if (pending_ && !busy()) {
    Pending next = std::move(*pending_);
    pending_.reset();
    launch(std::move(next));
  }
}

bool AnalysisWork::waitUntilIdle(int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while ((busy() || pending_) && t.elapsed() < timeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !busy() && !pending_;
}

}  // namespace parvela::qt
