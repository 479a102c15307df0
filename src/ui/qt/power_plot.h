// The power method at a glance: its convergence measure per iteration
// (log10), one curve per spectral radius and pass, for the last condition
// number that ran it. The first iteration of a pass has no measure (there
// is no earlier estimate) and is not drawn; a measure of exactly zero is a
// "0 exact" marker at the bottom.
#pragma once

#include <QPointF>
#include <QWidget>

#include <vector>

#include "ui/core/run_record.h"

class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace parvela::qt {

class PlotLegend;

class PowerPlot : public QWidget {
  Q_OBJECT
 public:
  explicit PowerPlot(QWidget* parent = nullptr);

  // Shows the run when it used the power method (otherwise keeps the plot).
  void showRun(const RunRecord& run);
  // Drops the run shown; `why` says so where the plot was.
  void clear(const QString& why);
  bool hasRun() const { return !run_.empty(); }
  std::vector<QPointF> curvePoints(int pass) const;
  // The "0 exact" markers of a pass (empty when it had no zero).
  std::vector<QPointF> zeroPoints(int pass) const;
  QValueAxis* yAxis() const { return y_; }
  QChartView* chartView() const { return view_; }
  PlotLegend* legend() const { return legend_; }
  QWidget* figure() const { return figure_; }

 private:
  struct Drawn {
    int pass;
    QLineSeries* line;
    QScatterSeries* zeros;
  };
  std::vector<RunRecord> run_;  // none or one
  std::vector<Drawn> curves_;
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
