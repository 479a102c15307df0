// The search for SOR's best omega: the spectral radius of the iteration
// matrix against omega (left axis) and the sweeps real runs made (right
// axis), omega* marked by a vertical line.
#pragma once

#include <QPointF>
#include <QWidget>

#include <optional>
#include <vector>

#include "analysis/omega_scan.h"

class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace parvela::qt {

class OmegaPlot : public QWidget {
  Q_OBJECT
 public:
  explicit OmegaPlot(QWidget* parent = nullptr);

  void showScan(const OmegaScan& scan);
  void clear();
  bool hasScan() const { return scan_.has_value(); }

  // As drawn: (omega, rho), (omega, sweeps) of the runs that reached the
  // tolerance and of those that did not, and the omega* line.
  std::vector<QPointF> radiusPoints() const;
  std::vector<QPointF> sweepPoints(bool converged) const;
  std::vector<QPointF> bestLine() const;
  QChartView* chartView() const { return view_; }

 private:
  std::optional<OmegaScan> scan_;
  QChartView* view_;
  QValueAxis* x_ = nullptr;
  QValueAxis* rho_ = nullptr;
  QValueAxis* sweeps_ = nullptr;
  QLineSeries* radius_ = nullptr;
  QScatterSeries* converged_ = nullptr;
  QScatterSeries* other_ = nullptr;
  QLineSeries* best_ = nullptr;
  QLabel* empty_;
  QPushButton* png_;
  QPushButton* csv_;
};

}  // namespace parvela::qt
