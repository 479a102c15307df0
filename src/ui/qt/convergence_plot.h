// The convergence of Gauss-Seidel and SOR: log10 of max|x - x_ant| per
// sweep, one curve per right-hand side, the tolerance as a horizontal line
// and the verdict marked at the last sweep. Runs of a session can be kept
// and overlaid, each curve labelled with method, omega and eps. A sweep
// that changed nothing is a "0 exact" marker at the bottom.
#pragma once

#include <QPointF>
#include <QWidget>

#include <vector>

#include "ui/core/run_record.h"

class QCheckBox;
class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace parvela::qt {

class PlotLegend;

class ConvergencePlot : public QWidget {
  Q_OBJECT
 public:
  explicit ConvergencePlot(QWidget* parent = nullptr);

  // A finished run: drawn when it has sweeps; without "keep" it replaces
  // the runs drawn before.
  void addRun(const RunRecord& run);
  void clearRuns();
  // Drops every run; `why` says so where the curves were.
  void clear(const QString& why);
  const std::vector<RunRecord>& runs() const { return runs_; }

  bool keepRuns() const;
  void setKeepRuns(bool keep);

  // The points of a curve as drawn (run: position in runs(); rhs 1-based).
  std::vector<QPointF> curvePoints(std::size_t run, int rhs) const;
  QLineSeries* curve(std::size_t run, int rhs) const;
  // The verdict markers: one series per verdict kind that occurs.
  std::vector<QScatterSeries*> verdictMarkers() const;
  std::vector<QLineSeries*> toleranceLines() const;
  std::vector<QScatterSeries*> zeroSeries() const { return zeros_; }
  QValueAxis* xAxis() const { return x_; }
  QValueAxis* yAxis() const { return y_; }
  QChartView* chartView() const { return view_; }
  PlotLegend* legend() const { return legend_; }
  QWidget* figure() const { return figure_; }

  bool exportPng(const QString& path) const;
  bool exportCsv(const QString& path) const;

 private:
  void rebuild();

  struct Drawn {
    std::size_t run;
    int rhs;
    QLineSeries* series;
  };
  std::vector<RunRecord> runs_;
  std::vector<Drawn> drawn_;
  std::vector<QScatterSeries*> markers_;
  std::vector<QLineSeries*> epsLines_;
  std::vector<QScatterSeries*> zeros_;
  QChartView* view_;
  PlotLegend* legend_;
  QWidget* figure_;
  QValueAxis* x_ = nullptr;
  QValueAxis* y_ = nullptr;
  QCheckBox* keep_;
  QPushButton* clear_;
  QPushButton* png_;
  QPushButton* csv_;
  QLabel* empty_;
};

}  // namespace parvela::qt
