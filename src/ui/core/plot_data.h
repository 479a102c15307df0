// What the plots draw, decided without a window: the points of a traced
// curve on a log10 scale, and the ranges and ticks of the axes. A plot
// shows every defined point, leaves out what has no value, shows exact
// zeros apart (they have no logarithm) and fits its axes to the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/core/run_trace.h"

namespace parvela {

struct PlotPoint {
  double x = 0.0;
  double y = 0.0;
  bool operator==(const PlotPoint&) const = default;
};

// A traced curve on a log10 scale: a value with a positive finite magnitude
// is a point at log10 |value|; an exact zero is a "0 exact" marker on the
// bottom edge; a value that is not a number or infinite is left out, and
// so is every step before `firstDefinedStep` (the power method's first
// iteration has no earlier estimate to compare with).
struct LogCurve {
  std::vector<PlotPoint> points;
  std::vector<std::int64_t> zeroSteps;
  bool endsInZero = false;  // the last step kept was an exact zero

  bool empty() const { return points.empty() && zeroSteps.empty(); }
  // Where a mark of the curve's last step goes (a verdict): its last point,
  // or its last zero at `zeroLevel`.
  PlotPoint lastMark(double zeroLevel) const;
};

LogCurve logCurve(const std::vector<TracePoint>& trace, std::int64_t firstDefinedStep = 1);

// The smallest and largest value seen (empty until the first).
struct Extent {
  double lo = 0.0;
  double hi = 0.0;
  bool any = false;
  void add(double v);
  void add(const LogCurve& c);
};

// A line of at most this many points shows a marker on each; a longer one
// is a line alone (a marker per step would hide it).
inline constexpr std::size_t kMaxMarkedPoints = 40;
inline bool marksEachPoint(std::size_t points) { return points <= kMaxMarkedPoints; }

// An axis: its range, and labelled ticks at anchor + k * interval.
struct AxisRange {
  double lo = 0.0;
  double hi = 1.0;
  double tickInterval = 1.0;
  double tickAnchor = 0.0;
  int decimals = 0;          // digits after the point in the tick labels
  double zeroLevel = 0.0;    // value axes: where "0 exact" markers sit

  bool contains(double v) const { return lo <= v && v <= hi; }
};

// Steps first..last (sweeps, iterations, elimination steps): ticks on
// whole steps only, a margin of at least half a step at each end so that a
// marker on the first or last step is drawn whole.
AxisRange stepAxis(std::int64_t first, std::int64_t last);

// log10 values within `e`: the range holds them with a margin at each end
// (room for a marker drawn on the extreme values) and no more; `zeros`
// adds a band below them for the "0 exact" markers. Ticks at 1, 2 or 5
// times a power of ten, about six of them.
AxisRange valueAxis(const Extent& e, bool zeros);

}  // namespace parvela
