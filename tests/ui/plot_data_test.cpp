// What the plots draw: the points of traced curves, the axes that fit them,
// and the labels that tell the curves apart.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/core/plot_data.h"
#include "ui/core/run_record.h"

namespace parvela::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<TracePoint> steps(const std::vector<double>& values) {
  std::vector<TracePoint> out;
  for (std::size_t k = 0; k < values.size(); ++k) out.push_back({std::int64_t(k + 1), values[k]});
  return out;
}

struct CurveCase {
  const char* what;
  std::vector<double> values;  // of steps 1, 2, ...
  std::int64_t firstDefined;
  std::vector<PlotPoint> points;
  std::vector<std::int64_t> zeros;
  bool endsInZero;
};

TEST(LogCurve, DefinedPointsZerosApartTheRestLeftOut) {
  const CurveCase cases[] = {
      {"pivots of a 3x3 elimination, the last one too", {4.0, -3.75, 0.1}, 1,
       {{1, std::log10(4.0)}, {2, std::log10(3.75)}, {3, -1}}, {}, false},
      // The fast power method publishes no measure for its first iteration,
      // the straightforward one publishes the zero it starts from.
      {"power method, first iteration without a measure", {kNaN, 0.1, 0.0, 1e-3, 0.0}, 2,
       {{2, -1}, {4, -3}}, {3, 5}, true},
      {"power method, zero at the first iteration", {0.0, 1e-2}, 2, {{2, -2}}, {}, false},
      {"a sweep that changed nothing, then a change", {1e-2, 0.0, 1e-6}, 1, {{1, -2}, {3, -6}}, {2}, false},
      {"an overflowed change is left out", {10.0, kInf, 1e30, kNaN}, 1, {{1, 1}, {3, 30}}, {}, false},
  };
  for (const CurveCase& c : cases) {
    SCOPED_TRACE(c.what);
    const LogCurve curve = logCurve(steps(c.values), c.firstDefined);
    ASSERT_EQ(curve.points.size(), c.points.size());
    for (std::size_t k = 0; k < c.points.size(); ++k) {
      EXPECT_EQ(curve.points[k].x, c.points[k].x) << k;
      EXPECT_NEAR(curve.points[k].y, c.points[k].y, 1e-12) << k;
    }
    EXPECT_EQ(curve.zeroSteps, c.zeros);
    EXPECT_EQ(curve.endsInZero, c.endsInZero);
    // A verdict on the last step sits on what was drawn there.
    const PlotPoint mark = curve.lastMark(-9.0);
    if (c.endsInZero)
      EXPECT_EQ(mark, (PlotPoint{double(c.zeros.back()), -9.0}));
    else
      EXPECT_EQ(mark, curve.points.back());
  }
}

TEST(PlotAxes, StepsGetWholeTicksAndRoomForTheirMarkers) {
  const struct {
    std::int64_t first, last;
    double interval;  // between ticks
  } cases[] = {{1, 1, 1}, {1, 3, 1}, {1, 10, 2}, {2, 57, 10}, {1, 1500, 200}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + ".." + std::to_string(c.last));
    const AxisRange a = stepAxis(c.first, c.last);
    EXPECT_EQ(a.tickInterval, c.interval);
    EXPECT_EQ(a.decimals, 0);
    EXPECT_EQ(a.tickAnchor, std::round(a.tickAnchor));
    // Half a step at least beyond the first and the last, little more.
    const double span = double(c.last - c.first);
    EXPECT_LE(a.lo, double(c.first) - 0.5);
    EXPECT_GE(a.hi, double(c.last) + 0.5);
    EXPECT_LE(a.hi - a.lo, std::max(span * 1.1, span + 1.0));
  }
  // Three steps: a tick on each of them and on nothing else.
  const AxisRange three = stepAxis(1, 3);
  std::vector<double> ticks;
  for (double t = std::ceil((three.lo - three.tickAnchor) / three.tickInterval) * three.tickInterval;
       t <= three.hi; t += three.tickInterval)
    ticks.push_back(t);
  EXPECT_EQ(ticks, (std::vector<double>{1, 2, 3}));
}

TEST(PlotAxes, ValuesFitTheDataWithAMargin) {
  const struct {
    const char* what;
    double lo, hi;
    bool zeros;
    double interval;
  } cases[] = {
      {"convergence from 1 to 1e-5", -5, 0, false, 1},
      {"with exact zeros below", -5, 0, true, 1},
      {"a wide span", -38, 3, false, 10},
      {"a narrow one", -5.2, -4.8, false, 0.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Extent e;
    e.add(c.lo);
    e.add(c.hi);
    const AxisRange a = valueAxis(e, c.zeros);
    const double span = std::max(c.hi - c.lo, 1.0);
    // A margin on each side for the markers, and the data fill most of it.
    EXPECT_LE(a.hi, c.hi + 0.1 * span);
    EXPECT_GE(a.hi, c.hi + 0.05 * (c.hi - c.lo));
    EXPECT_LT(a.hi - a.lo, (c.zeros ? 1.3 : 1.15) * span);
    EXPECT_DOUBLE_EQ(a.tickInterval, c.interval);
    EXPECT_EQ(a.decimals, c.interval < 1 ? 1 : 0);
    if (c.zeros) {
      // The "0 exact" markers between the axis and the lowest value, clear
      // of both.
      EXPECT_LT(a.zeroLevel, c.lo - 0.05 * span);
      EXPECT_GT(a.zeroLevel, a.lo + 0.05 * span);
    } else {
      EXPECT_LE(a.lo, c.lo - 0.05 * (c.hi - c.lo));
    }
  }
  // One value: a unit around it.
  Extent one;
  one.add(-3);
  const AxisRange single = valueAxis(one, false);
  EXPECT_LE(single.lo, -3.5);
  EXPECT_GE(single.hi, -2.5);
  EXPECT_LT(single.hi - single.lo, 1.2);

  Extent none;
  none.add(kNaN);
  none.add(kInf);
  EXPECT_FALSE(none.any);
  const AxisRange empty = valueAxis(none, true);
  EXPECT_LT(empty.lo, empty.zeroLevel);
  EXPECT_LT(empty.zeroLevel, empty.hi);
}

TEST(PlotAxes, MarkersOnLinesOfAFewDozenPointsOnly) {
  EXPECT_TRUE(marksEachPoint(3));
  EXPECT_TRUE(marksEachPoint(40));
  EXPECT_FALSE(marksEachPoint(41));
  EXPECT_FALSE(marksEachPoint(1500));
}

TEST(CurveLabel, WhatTellsTheRunsApartFirstInFewDigits) {
  const struct {
    const char* method;
    bool iterative;
    float omega, eps;
    const char* label;
  } cases[] = {
      {"SOR", true, 1.5f, 1e-5f, "SOR \u03c9=1.5, eps=1e-5"},
      {"SOR", true, 1.0f, 0.0001f, "SOR \u03c9=1, eps=1e-4"},
      {"SOR", true, 1.2f, 1e-30f, "SOR \u03c9=1.2, eps=1e-30"},
      {"Gauss-Seidel", true, 0.0f, 2.5e-7f, "Gauss-Seidel, eps=2.5e-7"},
      {"Gauss", false, 0.0f, 0.0f, "Gauss"},
  };
  for (const auto& c : cases) {
    RunRecord r;
    r.method = c.method;
    r.iterative = c.iterative;
    r.withOmega = methodNeedsOmega(methodIndexOf(c.method));
    r.omega = c.omega;
    r.eps = c.eps;
    EXPECT_EQ(r.curveLabel(), c.label);
  }
  EXPECT_EQ(shortest(1e20f), "1e20");
  EXPECT_EQ(shortest(123456.0f), "123456");
}

}  // namespace
}  // namespace parvela::test
