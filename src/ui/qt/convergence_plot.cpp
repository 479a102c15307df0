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
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {

struct MarkerStyle {
  QScatterSeries::MarkerShape shape;
  QColor color;
};

MarkerStyle styleOf(Verdict v) {
  switch (v) {
    case Verdict::Tolerance: return {QScatterSeries::MarkerShapeCircle, QColor(0, 140, 60)};
    case Verdict::Limit: return {QScatterSeries::MarkerShapeRectangle, QColor(200, 130, 0)};
    case Verdict::Divergence: return {QScatterSeries::MarkerShapeTriangle, QColor(200, 0, 0)};
    case Verdict::Stationary: return {QScatterSeries::MarkerShapeStar, QColor(120, 0, 160)};
  }
  return {QScatterSeries::MarkerShapeCircle, Qt::black};
}

}  // namespace

ConvergencePlot::ConvergencePlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Convergenta: log10 max|x - x_ant| pe iteratie"), this);
  makeAxes(view_->chart(), QStringLiteral("Iteratia"), QStringLiteral("log10 max|x - x_ant|"), x_, y_);

  keep_ = new QCheckBox(QStringLiteral("Pastreaza rularile anterioare"), this);
  keep_->setToolTip(QStringLiteral("Curbele rularilor urmatoare se adauga peste cele de acum"));
  clear_ = new QPushButton(QStringLiteral("Sterge curbele"), this);
  png_ = new QPushButton(QStringLiteral("PNG..."), this);
  csv_ = new QPushButton(QStringLiteral("CSV..."), this);
  empty_ = new QLabel(QStringLiteral("Curbele apar dupa o rulare Gauss-Seidel sau SOR."), this);
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
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);

  connect(clear_, &QPushButton::clicked, this, &ConvergencePlot::clearRuns);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(view_, this, QStringLiteral("convergenta.png")); });
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

void ConvergencePlot::clearRuns() {
  runs_.clear();
  rebuild();
}

void ConvergencePlot::rebuild() {
  QChart* chart = view_->chart();
  chart->removeAllSeries();
  drawn_.clear();
  markers_.clear();
  epsLines_.clear();

  double x1 = 1, y0 = 0, y1 = 0;
  bool any = false;
  auto extend = [&](double x, double y) {
    x1 = std::max(x1, x);
    if (!any) y0 = y1 = y;
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
    any = true;
  };

  std::map<Verdict, QScatterSeries*> markerOf;
  for (std::size_t r = 0; r < runs_.size(); ++r) {
    const RunRecord& run = runs_[r];
    const bool several = run.trace.sweeps.size() > 1;
    for (const TraceCurve& c : run.trace.sweeps) {
      auto* s = new QLineSeries;
      QString name = QStringLiteral("%1: %2").arg(run.number).arg(fromStd(run.label()));
      if (several) name += QStringLiteral(", termenul liber %1").arg(c.part);
      s->setName(name);
      QList<QPointF> pts;
      pts.reserve(qsizetype(c.points.size()));
      for (const TracePoint& p : c.points) {
        pts.append(QPointF(double(p.step), log10OrFloor(p.value)));
        extend(pts.back().x(), pts.back().y());
      }
      s->replace(pts);
      chart->addSeries(s);
      drawn_.push_back({r, c.part, s});

      if (const SweepOutcome* v = run.verdictOf(c.part); v && !pts.isEmpty()) {
        QScatterSeries*& m = markerOf[v->verdict];
        if (!m) {
          m = new QScatterSeries;
          const MarkerStyle st = styleOf(v->verdict);
          m->setMarkerShape(st.shape);
          m->setColor(st.color);
          m->setBorderColor(st.color.darker());
          m->setMarkerSize(11);
          m->setName(fromStd(verdictName(v->verdict)));
        }
        m->append(pts.back());
      }
    }
  }
  for (auto& [verdict, m] : markerOf) {
    chart->addSeries(m);
    markers_.push_back(m);
  }

  // One line per tolerance in use.
  std::vector<float> tolerances;
  for (const RunRecord& run : runs_)
    if (run.eps > 0 && std::find(tolerances.begin(), tolerances.end(), run.eps) == tolerances.end())
      tolerances.push_back(run.eps);
  for (float eps : tolerances) extend(1, std::log10(double(eps)));
  for (float eps : tolerances) {
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("eps = %1").arg(fromStd(scientific3(eps))));
    const double y = std::log10(double(eps));
    line->append(0, y);
    line->append(x1, y);
    QPen pen(Qt::darkGray);
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.5);
    line->setPen(pen);
    chart->addSeries(line);
    epsLines_.push_back(line);
  }

  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  fitAxes(x_, y_, 0, x1, y0, y1);
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

bool ConvergencePlot::exportPng(const QString& path) const { return writePng(view_, path); }

bool ConvergencePlot::exportCsv(const QString& path) const {
  return writeCsv(path, [this](std::ostream& o) { writeSweepsCsv(o, runs_); });
}

}  // namespace parvela::qt
