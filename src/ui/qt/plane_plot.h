// Two equations in two unknowns as two lines of the plane, their
// intersection, and for Gauss-Seidel and SOR the path of the iterates: one
// component at a time, the familiar zig-zag between the lines. Nearly
// parallel lines show why a nearly singular system is hard.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <optional>
#include <vector>

#include "analysis/analysis_run.h"

class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace parvela::qt {

class PlanePlot : public QWidget {
  Q_OBJECT
 public:
  explicit PlanePlot(QWidget* parent = nullptr);

  void showPicture(const PlanePicture& p);
  void clear();
  bool hasPicture() const { return picture_.has_value(); }

  // As drawn: each equation's segment across the view, the solution, the
  // path of the iterates; the view's rectangle.
  std::vector<QPointF> linePoints(int equation) const;
  std::optional<QPointF> solutionPoint() const;
  std::vector<QPointF> pathPoints() const;
  QRectF viewRect() const;
  QChartView* chartView() const { return view_; }

 private:
  std::optional<PlanePicture> picture_;
  QChartView* view_;
  QValueAxis* x_ = nullptr;
  QValueAxis* y_ = nullptr;
  QLineSeries* line1_ = nullptr;
  QLineSeries* line2_ = nullptr;
  QScatterSeries* solution_ = nullptr;
  QLineSeries* path_ = nullptr;
  QLabel* empty_;
  QPushButton* png_;
  QPushButton* csv_;
};

// The segment of the line a x + b y = c inside the rectangle, if it
// crosses it.
std::optional<std::pair<QPointF, QPointF>> clipLine(double a, double b, double c, const QRectF& r);

}  // namespace parvela::qt
