#include "ui/qt/pivot_plot.h"

#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>

#include <cmath>

#include "ui/qt/chart_support.h"
#include "ui/qt/plot_legend.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {
const QString kTitle = QStringLiteral("Pivotii pe pas");
const QString kHint = QStringLiteral("Graficul apare dupa o rulare Gauss sau LU.");
}  // namespace

PivotPlot::PivotPlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(kTitle, this);
  makeAxes(view_->chart(), QStringLiteral("Pasul"), QStringLiteral("log10 |pivot|"), x_, y_);
  legend_ = new PlotLegend(this);
  figure_ = makeFigure(view_, legend_, this);
  empty_ = new QLabel(kHint, this);
  layOutPlot(this, empty_, figure_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(figure_, this, QStringLiteral("pivoti.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    saveCsv(this, QStringLiteral("pivoti.csv"), [this](std::ostream& o) { writePivotsCsv(o, run_); });
  });
}

void PivotPlot::showRun(const RunRecord& run) {
  if (run.trace.pivots.empty()) return;
  run_.assign(1, run);
  QChart* chart = view_->chart();
  chart->removeAllSeries();
  dots_ = zeros_ = nullptr;

  const LogCurve curve = logCurve(run.trace.pivots);
  const LogCurve growthCurve = logCurve(run.trace.growth);
  Extent extent;
  extent.add(curve);
  extent.add(growthCurve);
  const AxisRange xRange = stepAxis(run.trace.pivots.front().step, run.trace.pivots.back().step);
  const AxisRange yRange = valueAxis(extent, !curve.zeroSteps.empty());

  line_ = new QLineSeries;
  QList<QPointF> pts;
  pts.reserve(qsizetype(curve.points.size()));
  for (const PlotPoint& p : curve.points) pts.append(QPointF(p.x, p.y));
  line_->replace(pts);
  chart->addSeries(line_);
  const QColor color = line_->color();
  if (marksEachPoint(curve.points.size())) {
    dots_ = new QScatterSeries;
    dots_->setMarkerSize(kPointMarkerSize);
    dots_->setColor(color);
    dots_->setBorderColor(color);
    dots_->replace(pts);
    chart->addSeries(dots_);
  }
  zeros_ = zeroMarkers(curve, yRange.zeroLevel, color);
  if (zeros_) chart->addSeries(zeros_);
  // The growth factor on the same scale: per step on the straightforward
  // path, per panel on the fast one.
  growth_ = nullptr;
  if (!growthCurve.points.empty()) {
    growth_ = new QLineSeries;
    QList<QPointF> g;
    for (const PlotPoint& p : growthCurve.points) g.append(QPointF(p.x, p.y));
    growth_->replace(g);
    growth_->setPointsVisible(marksEachPoint(growthCurve.points.size()));
    chart->addSeries(growth_);
  }
  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  applyAxis(x_, xRange);
  applyAxis(y_, yRange);

  const bool lu = run.trace.pivotStage == Stage::LuFactorization;
  std::vector<LegendEntry> entries{{dots_ ? LegendSymbol::Circle : LegendSymbol::Line, color,
                                    lu ? QStringLiteral("|u(k,k)|, factorizare LU")
                                       : QStringLiteral("|pivot|, eliminare")}};
  if (zeros_) entries.push_back({LegendSymbol::Diamond, color, zeroMarkerText()});
  if (growth_)
    entries.push_back({LegendSymbol::Line, growth_->color(),
                       QStringLiteral("log10 factor de crestere (max |a| actualizat / max |a| initial)")});
  legend_->setEntries(std::move(entries));
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

void PivotPlot::clear(const QString& why) {
  run_.clear();
  view_->chart()->removeAllSeries();
  line_ = growth_ = nullptr;
  dots_ = zeros_ = nullptr;
  view_->chart()->setTitle(kTitle);
  legend_->setEntries({});
  empty_->setText(emptyPlotText(why, kHint));
  empty_->show();
  png_->setEnabled(false);
  csv_->setEnabled(false);
}

}  // namespace parvela::qt
