#include "ui/qt/pivot_plot.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>

#include <cmath>

#include "ui/qt/chart_support.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

PivotPlot::PivotPlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Pivotii pe pas"), this);
  makeAxes(view_->chart(), QStringLiteral("Pasul"), QStringLiteral("log10 |pivot|"), x_, y_);
  empty_ = new QLabel(QStringLiteral("Graficul apare dupa o rulare Gauss sau LU."), this);
  layOutPlot(this, empty_, view_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(view_, this, QStringLiteral("pivoti.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    saveCsv(this, QStringLiteral("pivoti.csv"), [this](std::ostream& o) { writePivotsCsv(o, run_); });
  });
}

void PivotPlot::showRun(const RunRecord& run) {
  if (run.trace.pivots.empty()) return;
  run_.assign(1, run);
  QChart* chart = view_->chart();
  chart->removeAllSeries();
  line_ = new QLineSeries;
  auto* dots = new QScatterSeries;
  const bool lu = run.trace.pivotStage == Stage::LuFactorization;
  line_->setName(QStringLiteral("%1: %2").arg(run.number).arg(lu ? QStringLiteral("|u(k,k)|, factorizare LU")
                                                                 : QStringLiteral("|pivot|, eliminare")));
  dots->setMarkerSize(7);
  dots->setColor(line_->color());
  QList<QPointF> pts;
  double x1 = 1, y0 = 0, y1 = 0;
  for (const TracePoint& p : run.trace.pivots) {
    const QPointF q(double(p.step), log10OrFloor(p.value));
    y0 = pts.isEmpty() ? q.y() : std::min(y0, q.y());
    y1 = pts.isEmpty() ? q.y() : std::max(y1, q.y());
    x1 = std::max(x1, q.x());
    pts.append(q);
  }
  line_->replace(pts);
  dots->replace(pts);
  chart->addSeries(line_);
  chart->addSeries(dots);
  chart->legend()->markers(dots).value(0)->setVisible(false);
  // The growth factor on the same scale: per step on the straightforward
  // path, per panel on the fast one.
  growth_ = nullptr;
  if (!run.trace.growth.empty()) {
    growth_ = new QLineSeries;
    growth_->setName(QStringLiteral("log10 factor de crestere (max |a| actualizat / max |a| initial)"));
    growth_->setPointsVisible(true);
    for (const TracePoint& p : run.trace.growth) {
      const QPointF q(double(p.step), std::log10(p.value));
      growth_->append(q);
      y0 = std::min(y0, q.y());
      y1 = std::max(y1, q.y());
    }
    chart->addSeries(growth_);
  }
  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  fitAxes(x_, y_, 0, x1 + 1, y0, y1);
  chart->setTitle(QStringLiteral("Pivotii pe pas (rularea %1, %2)").arg(run.number).arg(fromStd(run.method)));
  empty_->hide();
  png_->setEnabled(true);
  csv_->setEnabled(true);
}

std::vector<QPointF> PivotPlot::growthPoints() const {
  if (!growth_) return {};
  const QList<QPointF> pts = growth_->points();
  return {pts.begin(), pts.end()};
}

std::vector<QPointF> PivotPlot::points() const {
  if (!line_) return {};
  const QList<QPointF> pts = line_->points();
  return {pts.begin(), pts.end()};
}

}  // namespace parvela::qt
