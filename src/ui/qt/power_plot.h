// The power method at a glance: its convergence measure per iteration
// (log10), one curve per spectral radius and pass, for the last condition
// number that ran it.
#pragma once

#include <QPointF>
#include <QWidget>

#include <vector>

#include "ui/core/run_record.h"

class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace parvela::qt {

class PowerPlot : public QWidget {
  Q_OBJECT
 public:
  explicit PowerPlot(QWidget* parent = nullptr);

  // Shows the run when it used the power method (otherwise keeps the plot).
  void showRun(const RunRecord& run);
  bool hasRun() const { return !run_.empty(); }
  std::vector<QPointF> curvePoints(int pass) const;
  QChartView* chartView() const { return view_; }

 private:
  std::vector<RunRecord> run_;  // none or one
  std::vector<std::pair<int, QLineSeries*>> curves_;
  QChartView* view_;
  QValueAxis* x_ = nullptr;
  QValueAxis* y_ = nullptr;
  QLabel* empty_;
  QPushButton* png_;
  QPushButton* csv_;
};

}  // namespace parvela::qt
