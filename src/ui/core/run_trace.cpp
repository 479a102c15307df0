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

void RunTrace::add(const Progress& p) {
  switch (p.stage) {
    case Stage::Iteration: {
      TraceCurve& c = curveFor(sweeps, p.part);
      keep(c.points, c.truncated, {p.done, p.measure});
      break;
    }
    case Stage::PowerMethod: {
      TraceCurve& c = curveFor(power, p.part);
      keep(c.points, c.truncated, {p.done, p.measure});
      break;
    }
    case Stage::Elimination:
    case Stage::LuFactorization:
      if (std::isnan(p.measure)) break;  // a step without a pivot to show
      if (pivots.empty()) pivotStage = p.stage;
      // The condition number's inverse eliminates after an LU or Gauss run
      // would have: only the first factorization of a run is kept.
      if (p.stage != pivotStage) break;
      if (!pivots.empty() && p.done <= pivots.back().step) break;
      keep(pivots, pivotsTruncated, {p.done, p.measure});
      break;
    default:
      break;
  }
}

void TraceRecorder::progress(const Progress& p) {
  trace_.add(p);
  if (next_) next_->progress(p);
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
