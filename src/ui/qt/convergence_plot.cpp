#include "ui/qt/convergence_plot.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <map>

#include "ui/qt/chart_support.h"
#include "ui/qt/plot_legend.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {
const QString kHint = QStringLiteral("Curbele apar dupa o rulare Gauss-Seidel sau SOR.");
}  // namespace

namespace {

struct MarkerStyle {
  QScatterSeries::MarkerShape shape;
  LegendSymbol symbol;
  QColor color;
};

MarkerStyle styleOf(Verdict v) {
  switch (v) {
    case Verdict::Tolerance: return {QScatterSeries::MarkerShapeCircle, LegendSymbol::Circle, QColor(0, 140, 60)};
    case Verdict::Limit: return {QScatterSeries::MarkerShapeRectangle, LegendSymbol::Square, QColor(200, 130, 0)};
    case Verdict::Divergence:
      return {QScatterSeries::MarkerShapeTriangle, LegendSymbol::Triangle, QColor(200, 0, 0)};
    case Verdict::Stationary: return {QScatterSeries::MarkerShapeStar, LegendSymbol::Star, QColor(120, 0, 160)};
  }
  return {QScatterSeries::MarkerShapeCircle, LegendSymbol::Circle, Qt::black};
}

// The legend text of a curve: what tells the runs apart first, then the
// right-hand side when the run had several, then the run.
QString curveName(const RunRecord& run, int rhs, bool several) {
  QString name = fromStd(run.curveLabel());
  if (several) name += QStringLiteral(", termenul liber %1").arg(rhs);
  return name + QStringLiteral(" (rularea %1)").arg(run.number);
}

}  // namespace

ConvergencePlot::ConvergencePlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Convergenta: log10 max|x - x_ant| pe iteratie"), this);
  makeAxes(view_->chart(), QStringLiteral("Iteratia"), QStringLiteral("log10 max|x - x_ant|"), x_, y_);
  legend_ = new PlotLegend(this);
  figure_ = makeFigure(view_, legend_, this);

  keep_ = new QCheckBox(QStringLiteral("Pastreaza rularile anterioare"), this);
  keep_->setToolTip(QStringLiteral("Curbele rularilor urmatoare se adauga peste cele de acum"));
  clear_ = new QPushButton(QStringLiteral("Sterge curbele"), this);
  png_ = new QPushButton(QStringLiteral("PNG..."), this);
  csv_ = new QPushButton(QStringLiteral("CSV..."), this);
  empty_ = new QLabel(kHint, this);
  empty_->setAlignment(Qt::AlignCenter);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(keep_);
  buttons->addStretch(1);
  buttons->addWidget(clear_);
  buttons->addWidget(png_);
  buttons->addWidget(csv_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(empty_);
  layout->addWidget(figure_, 1);
  layout->addLayout(buttons);

  connect(clear_, &QPushButton::clicked, this, [this] { clearRuns(); });
  connect(png_, &QPushButton::clicked, this, [this] { savePng(figure_, this, QStringLiteral("convergenta.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    saveCsv(this, QStringLiteral("convergenta.csv"), [this](std::ostream& o) { writeSweepsCsv(o, runs_); });
  });
  rebuild();
}

bool ConvergencePlot::keepRuns() const { return keep_->isChecked(); }
void ConvergencePlot::setKeepRuns(bool keep) { keep_->setChecked(keep); }

void ConvergencePlot::addRun(const RunRecord& run) {
  if (run.trace.sweeps.empty()) return;
  if (!keepRuns()) runs_.clear();
  runs_.push_back(run);
  rebuild();
}

void ConvergencePlot::clearRuns() { clear({}); }

void ConvergencePlot::clear(const QString& why) {
  runs_.clear();
  empty_->setText(emptyPlotText(why, kHint));
  rebuild();
}

void ConvergencePlot::rebuild() {
  QChart* chart = view_->chart();
  chart->removeAllSeries();
  drawn_.clear();
  markers_.clear();
  epsLines_.clear();
  zeros_.clear();

  // The points first: the axes fit them, the tolerances and the markers.
  struct Curve {
    std::size_t run;
    const TraceCurve* trace;
    LogCurve points;
  };
  std::vector<Curve> curves;
  Extent extent;
  std::int64_t lastStep = 1;
  bool anyZero = false;
  for (std::size_t r = 0; r < runs_.size(); ++r)
    for (const TraceCurve& c : runs_[r].trace.sweeps) {
      curves.push_back({r, &c, logCurve(c.points)});
      extent.add(curves.back().points);
      anyZero = anyZero || !curves.back().points.zeroSteps.empty();
      if (!c.points.empty()) lastStep = std::max(lastStep, c.points.back().step);
    }
  std::vector<float> tolerances;
  for (const RunRecord& run : runs_)
    if (run.eps > 0 && std::find(tolerances.begin(), tolerances.end(), run.eps) == tolerances.end())
      tolerances.push_back(run.eps);
  for (float eps : tolerances) extent.add(std::log10(double(eps)));
  const AxisRange xRange = stepAxis(1, lastStep);
  const AxisRange yRange = valueAxis(extent, anyZero);

  std::vector<LegendEntry> entries;
  for (const Curve& c : curves) {
    const RunRecord& run = runs_[c.run];
    auto* s = new QLineSeries;
    s->setName(curveName(run, c.trace->part, run.trace.sweeps.size() > 1));
    QList<QPointF> pts;
    pts.reserve(qsizetype(c.points.points.size()));
    for (const PlotPoint& p : c.points.points) pts.append(QPointF(p.x, p.y));
    s->replace(pts);
    chart->addSeries(s);
    drawn_.push_back({c.run, c.trace->part, s});
    entries.push_back({LegendSymbol::Line, s->color(), s->name()});
  }

  std::map<Verdict, QScatterSeries*> markerOf;
  for (std::size_t k = 0; k < curves.size(); ++k) {
    const Curve& c = curves[k];
    if (QScatterSeries* z = zeroMarkers(c.points, yRange.zeroLevel, drawn_[k].series->color())) {
      chart->addSeries(z);
      zeros_.push_back(z);
    }
    const SweepOutcome* v = runs_[c.run].verdictOf(c.trace->part);
    if (!v || c.points.empty()) continue;
    QScatterSeries*& m = markerOf[v->verdict];
    if (!m) {
      m = new QScatterSeries;
      const MarkerStyle st = styleOf(v->verdict);
      m->setMarkerShape(st.shape);
      m->setColor(st.color);
      m->setBorderColor(st.color.darker());
      m->setMarkerSize(kVerdictMarkerSize);
      m->setName(fromStd(verdictName(v->verdict)));
    }
    const PlotPoint at = c.points.lastMark(yRange.zeroLevel);
    m->append(at.x, at.y);
  }
  if (!zeros_.empty()) entries.push_back({LegendSymbol::Diamond, Qt::darkGray, zeroMarkerText()});
  for (auto& [verdict, m] : markerOf) {
    chart->addSeries(m);
    markers_.push_back(m);
    entries.push_back({styleOf(verdict).symbol, m->color(), m->name()});
  }

  // One line per tolerance in use, across the whole plot.
  for (float eps : tolerances) {
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("toleranta eps=%1").arg(fromStd(shortest(eps))));
    const double y = std::log10(double(eps));
    line->append(xRange.lo, y);
    line->append(xRange.hi, y);
    QPen pen(Qt::darkGray);
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.5);
    line->setPen(pen);
    chart->addSeries(line);
    epsLines_.push_back(line);
    entries.push_back({LegendSymbol::DashedLine, Qt::darkGray, line->name()});
  }

  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  applyAxis(x_, xRange);
  applyAxis(y_, yRange);
  legend_->setEntries(std::move(entries));
  empty_->setVisible(runs_.empty());
  clear_->setEnabled(!runs_.empty());
  png_->setEnabled(!runs_.empty());
  csv_->setEnabled(!runs_.empty());
}

QLineSeries* ConvergencePlot::curve(std::size_t run, int rhs) const {
  for (const Drawn& d : drawn_)
    if (d.run == run && d.rhs == rhs) return d.series;
  return nullptr;
}

std::vector<QPointF> ConvergencePlot::curvePoints(std::size_t run, int rhs) const {
  const QLineSeries* s = curve(run, rhs);
  if (!s) return {};
  const QList<QPointF> pts = s->points();
  return {pts.begin(), pts.end()};
}

std::vector<QScatterSeries*> ConvergencePlot::verdictMarkers() const { return markers_; }
std::vector<QLineSeries*> ConvergencePlot::toleranceLines() const { return epsLines_; }

bool ConvergencePlot::exportPng(const QString& path) const { return writePng(figure_, path); }

bool ConvergencePlot::exportCsv(const QString& path) const {
  return writeCsv(path, [this](std::ostream& o) { writeSweepsCsv(o, runs_); });
}

}  // namespace parvela::qt
