#include "ui/core/run_trace.h"

#include <cmath>
#include <utility>

namespace parvela {

namespace {

TraceCurve& curveFor(std::vector<TraceCurve>& curves, std::int32_t part) {
  // Runs go through their parts in order: the last curve is nearly always it.
  for (auto it = curves.rbegin(); it != curves.rend(); ++it)
    if (it->part == part) return *it;
  curves.push_back(TraceCurve{part, {}, false});
  return curves.back();
}

void keep(std::vector<TracePoint>& points, bool& truncated, const TracePoint& pt) {
  if (points.size() < RunTrace::kMaxPoints) {
    points.push_back(pt);
  } else {
    // Full: the last point stays the run's last, the ones before it are dropped.
    points.back() = pt;
    truncated = true;
  }
}

const TraceCurve* findCurve(const std::vector<TraceCurve>& curves, std::int32_t part) {
  for (const TraceCurve& c : curves)
    if (c.part == part) return &c;
  return nullptr;
}

}  // namespace

const TraceCurve* RunTrace::sweepCurve(std::int32_t rhs) const { return findCurve(sweeps, rhs); }
const TraceCurve* RunTrace::powerCurve(std::int32_t pass) const { return findCurve(power, pass); }

void RunTrace::add(const StepEvent& e) {
  switch (e.kind) {
    case StepKind::Sweep: {
      TraceCurve& c = curveFor(sweeps, e.rhs);
      keep(c.points, c.truncated, {e.step, e.measure});
      break;
    }
    case StepKind::Power: {
      TraceCurve& c = curveFor(power, e.pass);
      keep(c.points, c.truncated, {e.step, e.measure});
      break;
    }
    case StepKind::Elimination:
    case StepKind::Lu: {
      const Stage stage = e.kind == StepKind::Lu ? Stage::LuFactorization : Stage::Elimination;
      if (pivots.empty()) pivotStage = stage;
      // Only the run's first factorisation is kept.
      if (stage != pivotStage) break;
      if (!pivots.empty() && e.step <= pivots.back().step) break;
      keep(pivots, pivotsTruncated, {e.step, e.pivot});
      if (!std::isnan(e.growth) && e.growth > 0.0) {
        bool unused = false;
        keep(growth, unused, {e.step, e.growth});
      }
      break;
    }
    default:
      break;
  }
}

void TraceRecorder::step(const StepEvent& e) {
  trace_.add(e);
  if (next_) next_->step(e);
}

RunTrace TraceRecorder::take() {
  RunTrace t = std::move(trace_);
  trace_.clear();
  return t;
}

std::string powerPassName(std::int32_t pass) {
  switch (pass) {
    case 1: return "Raza spectrala 1";
    case 2: return "Raza spectrala 1, cu deplasare";
    case 3: return "Raza spectrala 2";
    case 4: return "Raza spectrala 2, cu deplasare";
    default: return "Trecerea " + std::to_string(pass);
  }
}

}  // namespace parvela
