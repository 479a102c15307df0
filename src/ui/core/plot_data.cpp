#include "ui/core/plot_data.h"

#include <algorithm>
#include <cmath>

namespace parvela {

namespace {

// 1, 2 or 5 times a power of ten, the first not below `raw` (> 0).
double niceStep(double raw) {
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / power;
  return (f <= 1.0 ? 1.0 : f <= 2.0 ? 2.0 : f <= 5.0 ? 5.0 : 10.0) * power;
}

// Margin around the data of a value axis, as a part of the data's span.
constexpr double kMargin = 0.06;

}  // namespace

PlotPoint LogCurve::lastMark(double zeroLevel) const {
  if (endsInZero) return {double(zeroSteps.back()), zeroLevel};
  if (!points.empty()) return points.back();
  return {0.0, zeroLevel};
}

LogCurve logCurve(const std::vector<TracePoint>& trace, std::int64_t firstDefinedStep) {
  LogCurve c;
  for (const TracePoint& p : trace) {
    if (p.step < firstDefinedStep) continue;
    const double m = std::fabs(p.value);
    if (m == 0.0) {
      c.zeroSteps.push_back(p.step);
      c.endsInZero = true;
    } else if (std::isfinite(m)) {
      c.points.push_back({double(p.step), std::log10(m)});
      c.endsInZero = false;
    }
  }
  return c;
}

void Extent::add(double v) {
  if (!std::isfinite(v)) return;
  lo = any ? std::min(lo, v) : v;
  hi = any ? std::max(hi, v) : v;
  any = true;
}

void Extent::add(const LogCurve& c) {
  for (const PlotPoint& p : c.points) add(p.y);
}

AxisRange stepAxis(std::int64_t first, std::int64_t last) {
  if (last < first) last = first;
  const double span = double(last - first);
  const double pad = std::max(0.5, 0.03 * span);
  AxisRange a;
  a.lo = double(first) - pad;
  a.hi = double(last) + pad;
  a.tickInterval = std::max(1.0, niceStep((a.hi - a.lo) / 8.0));
  a.tickAnchor = 0.0;
  a.decimals = 0;
  return a;
}

AxisRange valueAxis(const Extent& e, bool zeros) {
  double lo = e.any ? e.lo : -1.0;
  double hi = e.any ? e.hi : 0.0;
  if (hi - lo < 0.1) {  // one value, or nearly: a small range around it
    const double mid = (lo + hi) / 2;
    lo = mid - 0.5;
    hi = mid + 0.5;
  }
  const double margin = kMargin * (hi - lo);
  AxisRange a;
  a.hi = hi + margin;
  a.lo = lo - margin;
  if (zeros) {
    a.zeroLevel = a.lo;
    a.lo -= margin;
  } else {
    a.zeroLevel = a.lo;
  }
  a.tickInterval = niceStep((a.hi - a.lo) / 6.0);
  a.tickAnchor = 0.0;
  a.decimals = std::max(0, int(std::ceil(-std::log10(a.tickInterval) - 1e-9)));
  return a;
}

}  // namespace parvela
