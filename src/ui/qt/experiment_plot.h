// The experiment over n on one logarithmic scale: the forward error, the
// backward error and the condition number of each order, and the line
// where single precision has no correct digit left (an error of 1). For
// the condition number: the run's figure, the reference and the error.
#pragma once

#include <QPointF>
#include <QWidget>

#include <optional>
#include <vector>

#include "analysis/experiment_over_n.h"

class QChartView;
class QLabel;
class QLineSeries;
class QLogValueAxis;
class QPushButton;
class QValueAxis;

namespace parvela::qt {

class ExperimentPlot : public QWidget {
  Q_OBJECT
 public:
  explicit ExperimentPlot(QWidget* parent = nullptr);

  void showExperiment(const Experiment& e);
  void clear();
  bool hasExperiment() const { return experiment_.has_value(); }

  // The curves as drawn (n, value), in the order of the legend; the last
  // is the line of no correct digit.
  std::vector<std::vector<QPointF>> curves() const;
  QChartView* chartView() const { return view_; }

 private:
  std::optional<Experiment> experiment_;
  std::vector<QLineSeries*> series_;
  QChartView* view_;
  QValueAxis* x_ = nullptr;
  QLogValueAxis* y_ = nullptr;
  QLabel* empty_;
  QPushButton* png_;
  QPushButton* csv_;
};

}  // namespace parvela::qt
