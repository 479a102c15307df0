#include "ui/qt/power_plot.h"

#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>

#include "ui/qt/chart_support.h"
#include "ui/qt/plot_legend.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {
const QString kTitle = QStringLiteral("Metoda puterii: masura convergentei pe iteratie");
const QString kHint = QStringLiteral("Graficul apare dupa un numar de conditie cu norma 2 sau Cond(A)*.");
}  // namespace

namespace {

std::vector<QPointF> pointsOf(const QXYSeries* s) {
  if (!s) return {};
  const QList<QPointF> pts = s->points();
  return {pts.begin(), pts.end()};
}

}  // namespace

PowerPlot::PowerPlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(kTitle, this);
  makeAxes(view_->chart(), QStringLiteral("Iteratia"), QStringLiteral("log10 masura convergentei"), x_, y_);
  legend_ = new PlotLegend(this);
  figure_ = makeFigure(view_, legend_, this);
  empty_ = new QLabel(
      kHint, this);
  layOutPlot(this, empty_, figure_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(figure_, this, QStringLiteral("metoda_puterii.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    saveCsv(this, QStringLiteral("metoda_puterii.csv"), [this](std::ostream& o) { writePowerCsv(o, run_); });
  });
}

void PowerPlot::showRun(const RunRecord& run) {
  if (run.trace.power.empty()) return;
  run_.assign(1, run);
  QChart* chart = view_->chart();
  chart->removeAllSeries();
  curves_.clear();

  // The first iteration of each pass compares with no earlier estimate.
  std::vector<LogCurve> curves;
  Extent extent;
  bool zeros = false;
  std::int64_t first = 2, last = 2;
  for (const TraceCurve& c : run.trace.power) {
    curves.push_back(logCurve(c.points, 2));
    extent.add(curves.back());
    zeros = zeros || !curves.back().zeroSteps.empty();
    if (!c.points.empty()) last = std::max(last, c.points.back().step);
  }
  const AxisRange yRange = valueAxis(extent, zeros);

  std::vector<LegendEntry> entries;
  bool zeroEntry = false;
  for (std::size_t k = 0; k < curves.size(); ++k) {
    const int pass = run.trace.power[k].part;
    auto* line = new QLineSeries;
    line->setName(fromStd(powerPassName(pass)));
    QList<QPointF> pts;
    for (const PlotPoint& p : curves[k].points) pts.append(QPointF(p.x, p.y));
    line->replace(pts);
    chart->addSeries(line);
    QScatterSeries* zeroSeries = zeroMarkers(curves[k], yRange.zeroLevel, line->color());
    if (zeroSeries) chart->addSeries(zeroSeries);
    curves_.push_back({pass, line, zeroSeries});
    entries.push_back({LegendSymbol::Line, line->color(), line->name()});
    zeroEntry = zeroEntry || zeroSeries;
  }
  if (zeroEntry) entries.push_back({LegendSymbol::Diamond, Qt::darkGray, zeroMarkerText()});
  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  applyAxis(x_, stepAxis(first, last));
  applyAxis(y_, yRange);
  legend_->setEntries(std::move(entries));
  chart->setTitle(QStringLiteral("Metoda puterii (rularea %1)").arg(run.number));
  empty_->hide();
  png_->setEnabled(true);
  csv_->setEnabled(true);
}

std::vector<QPointF> PowerPlot::curvePoints(int pass) const {
  for (const Drawn& d : curves_)
    if (d.pass == pass) return pointsOf(d.line);
  return {};
}

std::vector<QPointF> PowerPlot::zeroPoints(int pass) const {
  for (const Drawn& d : curves_)
    if (d.pass == pass) return pointsOf(d.zeros);
  return {};
}

void PowerPlot::clear(const QString& why) {
  run_.clear();
  view_->chart()->removeAllSeries();
  curves_.clear();
  view_->chart()->setTitle(kTitle);
  legend_->setEntries({});
  empty_->setText(emptyPlotText(why, kHint));
  empty_->show();
  png_->setEnabled(false);
  csv_->setEnabled(false);
}

}  // namespace parvela::qt
