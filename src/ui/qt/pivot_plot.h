// The pivots of an elimination or LU factorization, |pivot| per step on a
// logarithmic scale, so that the step where the matrix becomes nearly
// singular stands out. Shows the last run that factorized: every pivot it
// traced, a marker on each while there are few, an exact zero as a
// "0 exact" marker at the bottom.
#pragma once

#include <QPointF>
#include <QWidget>

#include <vector>

#include "ui/core/plot_data.h"
#include "ui/core/run_record.h"

class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QPushButton;
class QValueAxis;

namespace parvela::qt {

class PlotLegend;

class PivotPlot : public QWidget {
  Q_OBJECT
 public:
  explicit PivotPlot(QWidget* parent = nullptr);

  void showRun(const RunRecord& run);
  // Drops the run shown; `why` says so where the plot was.
  void clear(const QString& why);
  bool hasRun() const { return !run_.empty(); }
  // (step, log10 |pivot|) as drawn.
  std::vector<QPointF> points() const;
  // The markers on the points (nullptr when the line has none) and on the
  // exact zeros (nullptr when there is none).
  QScatterSeries* pointMarkers() const { return dots_; }
  QScatterSeries* zeroSeries() const { return zeros_; }
  QValueAxis* xAxis() const { return x_; }
  QValueAxis* yAxis() const { return y_; }
  // (step, log10 growth factor) as drawn.
  std::vector<QPointF> growthPoints() const;
  QChartView* chartView() const { return view_; }
  PlotLegend* legend() const { return legend_; }
  QWidget* figure() const { return figure_; }

 private:
  std::vector<RunRecord> run_;
  QLineSeries* line_ = nullptr;
  QScatterSeries* dots_ = nullptr;
  QScatterSeries* zeros_ = nullptr;
  QLineSeries* growth_ = nullptr;
  QChartView* view_;
  PlotLegend* legend_;
  QWidget* figure_;
  QValueAxis* x_ = nullptr;
  QValueAxis* y_ = nullptr;
  QLabel* empty_;
  QPushButton* png_;
  QPushButton* csv_;
};

}  // namespace parvela::qt
