// What a run went through, as its step events told it: the change of every
// sweep per right-hand side, the power method's convergence measure per
// pass, the pivots of the elimination or LU steps and the growth of the
// elimination. The recorder is a step listener; it can pass every event on
// to another listener, so it can be installed around any run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/steps.h"

namespace parvela {

struct TracePoint {
  std::int64_t step = 0;  // sweep, iteration or elimination step
  double value = 0.0;     // max|x - x_ant|, convergence measure (NaN: none yet), pivot, growth
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
  std::vector<TracePoint> pivots;  // every step of the first elimination or LU factorisation
  Stage pivotStage = Stage::Elimination;  // Stage::LuFactorization for LU
  bool pivotsTruncated = false;
  std::vector<TracePoint> growth;  // growth factor so far, at the steps that measured it

  bool empty() const { return sweeps.empty() && power.empty() && pivots.empty(); }
  const TraceCurve* sweepCurve(std::int32_t rhs) const;
  const TraceCurve* powerCurve(std::int32_t pass) const;

  void add(const StepEvent& e);
  void clear() { *this = RunTrace{}; }
};

class TraceRecorder : public StepListener {
 public:
  explicit TraceRecorder(StepListener* next = nullptr) : next_(next) {}

  void setNext(StepListener* next) { next_ = next; }
  void step(const StepEvent& e) override;

  const RunTrace& trace() const { return trace_; }
  RunTrace take();
  void clear() { trace_.clear(); }

 private:
  StepListener* next_;
  RunTrace trace_;
};

// Names of the power method's passes as the condition number runs them.
std::string powerPassName(std::int32_t pass);

}  // namespace parvela
