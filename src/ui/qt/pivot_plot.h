// The pivots of an elimination or LU factorization, |pivot| per step on a
// logarithmic scale, so that the step where the matrix becomes nearly
// singular stands out. Shows the last run that factorized.
#pragma once

#include <QPointF>
#include <QWidget>

#include <vector>

#include "ui/core/run_record.h"

class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QPushButton;
class QValueAxis;

namespace parvela::qt {

class PivotPlot : public QWidget {
  Q_OBJECT
 public:
  explicit PivotPlot(QWidget* parent = nullptr);

  void showRun(const RunRecord& run);
  bool hasRun() const { return !run_.empty(); }
  // (step, log10 |pivot|) as drawn.
  std::vector<QPointF> points() const;
  // (step, log10 growth factor) as drawn.
  std::vector<QPointF> growthPoints() const;
  QChartView* chartView() const { return view_; }

 private:
  std::vector<RunRecord> run_;
  QLineSeries* line_ = nullptr;
  QLineSeries* growth_ = nullptr;
  QChartView* view_;
  QValueAxis* x_ = nullptr;
  QValueAxis* y_ = nullptr;
  QLabel* empty_;
  QPushButton* png_;
  QPushButton* csv_;
};

}  // namespace parvela::qt
