// What a run went through, as its checkpoints told it: the change of every
// sweep per right-hand side, the power method's convergence measure per
// pass, the pivots of the elimination or LU steps. The recorder is a work
// monitor; it can pass everything on to another monitor (the one that shows
// progress and asks to stop), so it can be installed around any run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"

namespace parvela {

struct TracePoint {
  std::int64_t step = 0;  // sweep, iteration or elimination step
  double value = 0.0;     // max|x - x_ant|, convergence measure, pivot
};

struct TraceCurve {
  std::int32_t part = 0;  // right-hand side, power-method pass (1-based)
  std::vector<TracePoint> points;
  bool truncated = false;  // more points came than are kept
};

// The points of one run. Curves are kept in the order their first point
// arrived; a curve keeps its first kMaxPoints points and always the last one.
struct RunTrace {
  static constexpr std::size_t kMaxPoints = 200000;

  std::vector<TraceCurve> sweeps;  // Stage::Iteration, part = right-hand side
  std::vector<TraceCurve> power;   // Stage::PowerMethod, part = pass 1..4
  std::vector<TracePoint> pivots;  // Stage::Elimination / Stage::LuFactorization
  Stage pivotStage = Stage::Elimination;
  bool pivotsTruncated = false;

  bool empty() const { return sweeps.empty() && power.empty() && pivots.empty(); }
  const TraceCurve* sweepCurve(std::int32_t rhs) const;
  const TraceCurve* powerCurve(std::int32_t pass) const;

  void add(const Progress& p);
  void clear() { *this = RunTrace{}; }
};

class TraceRecorder : public WorkMonitor {
 public:
  explicit TraceRecorder(WorkMonitor* next = nullptr) : next_(next) {}

  void setNext(WorkMonitor* next) { next_ = next; }
  void progress(const Progress& p) override;
  bool cancelRequested() override { return next_ && next_->cancelRequested(); }

  const RunTrace& trace() const { return trace_; }
  RunTrace take();
  void clear() { trace_.clear(); }

 private:
  WorkMonitor* next_;
  RunTrace trace_;
};

// Names of the power method's passes as the condition number runs them.
std::string powerPassName(std::int32_t pass);

}  // namespace parvela
