// Progress and cancellation of long work. The computation stays synchronous:
// at each step boundary a kernel calls checkpoint(), which tells the monitor
// installed on the calling thread how far the work is and stops the work
// (by throwing WorkCancelled) when the monitor asks for it. Without a
// monitor a checkpoint does nothing. Progress never changes a result.
//
// Only the thread that installed the monitor reports: checkpoints reached on
// other threads (the halves of a two-thread kernel) are no-ops, so they must
// sit outside parallel regions.
#pragma once

#include <cstdint>
#include <limits>

namespace parvela {

enum class Stage {
  Reading,          // done/total: bytes of the data file
  Generating,       // done/total: columns of the generated matrix
  Elimination,      // "Eliminare: coloana k din n"
  LuFactorization,  // "Factorizare LU: pasul k din n"
  Cholesky,         // "Cholesky: linia j din n"
  Substitution,     // solutions for the right-hand sides: k of nb
  Iteration,        // "Iteratia it din nlim"; measure = max|x - x_ant|, part = right-hand side
  PowerMethod,      // "Metoda puterii: iteratia i"; measure = convergence measure, part = pass
  Verification,     // "Verificare": right-hand side k of nb
  ReportAssembly,   // the report's text: part = what (1 matrix rows, 2 solutions, 3 check)
  ReportWrite,      // "Scriere raport": bytes written
};

struct Progress {
  Stage stage = Stage::Reading;
  std::int64_t done = 0;
  std::int64_t total = 0;  // 0: not known in advance
  double measure = std::numeric_limits<double>::quiet_NaN();
  std::int32_t part = 0;   // which right-hand side / which pass, 1-based; 0 when none
};

class WorkMonitor {
 public:
  virtual ~WorkMonitor() = default;
  // Called at every checkpoint on the monitoring thread; keep it cheap.
  virtual void progress(const Progress& p) = 0;
  // Polled at every checkpoint, after progress().
  virtual bool cancelRequested() = 0;
};

// Thrown by checkpoint() when the monitor asks to stop.
struct WorkCancelled {};

// Installs a monitor on the calling thread for the scope's lifetime (the
// previous one comes back at the end).
class MonitorScope {
 public:
  explicit MonitorScope(WorkMonitor* monitor);
  ~MonitorScope();
  MonitorScope(const MonitorScope&) = delete;
  MonitorScope& operator=(const MonitorScope&) = delete;

 private:
  WorkMonitor* previous_;
};

// The monitor of the calling thread, or nullptr.
WorkMonitor* currentMonitor();

namespace detail {
void reportCheckpoint(WorkMonitor& m, const Progress& p);
extern constinit thread_local WorkMonitor* tlsMonitor;
}  // namespace detail

// One step boundary. Throws WorkCancelled when the monitor asks to stop.
inline void checkpoint(Stage stage, std::int64_t done, std::int64_t total,
                       double measure = std::numeric_limits<double>::quiet_NaN(),
                       std::int32_t part = 0) {
  if (WorkMonitor* m = detail::tlsMonitor) {
    detail::reportCheckpoint(*m, Progress{stage, done, total, measure, part});
  }
}

// A stop point with nothing to report (inside long loops between steps).
inline void pollCancel() {
  if (WorkMonitor* m = detail::tlsMonitor) {
    if (m->cancelRequested()) throw WorkCancelled{};
  }
}

}  // namespace parvela
