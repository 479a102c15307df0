#include "ui/qt/omega_plot.h"

#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>

#include <algorithm>
#include <cmath>

#include "ui/core/analysis_text.h"
#include "ui/qt/chart_support.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {

std::vector<QPointF> pointsOf(const QXYSeries* s) {
  if (!s) return {};
  const QList<QPointF> p = s->points();
  return {p.begin(), p.end()};
}

}  // namespace

OmegaPlot::OmegaPlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Raza spectrala si iteratii in functie de \u03c9"), this);
  QChart* chart = view_->chart();
  makeAxes(chart, QStringLiteral("\u03c9"), QStringLiteral("\u03c1(T_\u03c9)"), x_, rho_);
  x_->setLabelFormat(QStringLiteral("%.1f"));
  rho_->setLabelFormat(QStringLiteral("%.2f"));
  sweeps_ = new QValueAxis;
  sweeps_->setTitleText(QStringLiteral("Iteratii (rulari SOR)"));
  sweeps_->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(sweeps_, Qt::AlignRight);
  empty_ = new QLabel(QStringLiteral("Graficul apare dupa \"Cauta omega\"."), this);
  layOutPlot(this, empty_, view_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(view_, this, QStringLiteral("omega.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    if (scan_) saveCsv(this, QStringLiteral("omega.csv"), [this](std::ostream& o) { writeOmegaCsv(o, *scan_); });
  });
  clear();
}

void OmegaPlot::clear() {
  scan_.reset();
  view_->chart()->removeAllSeries();
  radius_ = best_ = nullptr;
  converged_ = other_ = nullptr;
  x_->setRange(0, 2);
  rho_->setRange(0, 1);
  sweeps_->setRange(0, 1);
  empty_->show();
  png_->setEnabled(false);
  csv_->setEnabled(false);
}

void OmegaPlot::showScan(const OmegaScan& scan) {
  clear();
  if (!scan.available) return;
  scan_ = scan;
  QChart* chart = view_->chart();
  radius_ = new QLineSeries;
  radius_->setName(QStringLiteral("\u03c1(T_\u03c9), valori proprii"));
  double top = 1.0, bottom = 1.0;
  for (const OmegaRadius& p : scan.radii) {
    if (std::isnan(p.rho)) continue;
    radius_->append(p.omega, p.rho);
    top = std::max(top, p.rho);
    bottom = std::min(bottom, p.rho);
  }
  top = std::min(top, 2.0);  // very large radii at the ends would flatten the minimum
  converged_ = new QScatterSeries;
  converged_->setName(QStringLiteral("iteratii, toleranta atinsa"));
  converged_->setMarkerSize(8);
  converged_->setColor(QColor(0, 140, 60));
  other_ = new QScatterSeries;
  other_->setName(QStringLiteral("iteratii, fara toleranta"));
  other_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  other_->setMarkerSize(8);
  other_->setColor(QColor(200, 0, 0));
  int most = 1;
  for (const OmegaRun& r : scan.runs) {
    (r.verdict == Verdict::Tolerance ? converged_ : other_)->append(r.omega, r.sweeps);
    most = std::max(most, r.sweeps);
  }
  best_ = new QLineSeries;
  best_->setName(QStringLiteral("\u03c9* = %1, \u03c1 = %2").arg(fromStd(scan.bestText)).arg(scan.bestRho, 0, 'f', 4));
  QPen pen(QColor(40, 40, 200));
  pen.setStyle(Qt::DashLine);
  pen.setWidth(2);
  best_->setPen(pen);
  bottom = std::floor(bottom * 10.0) / 10.0;  // the minimum's shape, not the empty room below it
  best_->append(scan.best, bottom);
  best_->append(scan.best, top);
  for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(radius_), static_cast<QAbstractSeries*>(best_)}) {
    chart->addSeries(s);
    s->attachAxis(x_);
    s->attachAxis(rho_);
  }
  for (QScatterSeries* s : {converged_, other_}) {
    chart->addSeries(s);
    s->attachAxis(x_);
    s->attachAxis(sweeps_);
  }
  x_->setRange(0, 2);
  x_->setTickCount(11);
  rho_->setRange(bottom, std::ceil(top * 10.0) / 10.0);
  sweeps_->setRange(0, most * 1.1);
  sweeps_->applyNiceNumbers();
  chart->setTitle(QStringLiteral("Cautarea lui \u03c9: \u03c9* = %1").arg(fromStd(scan.bestText)));
  empty_->hide();
  png_->setEnabled(true);
  csv_->setEnabled(true);
}

std::vector<QPointF> OmegaPlot::radiusPoints() const { return pointsOf(radius_); }
std::vector<QPointF> OmegaPlot::sweepPoints(bool converged) const { return pointsOf(converged ? converged_ : other_); }
std::vector<QPointF> OmegaPlot::bestLine() const { return pointsOf(best_); }

}  // namespace parvela::qt
