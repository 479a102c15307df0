#include "ui/qt/experiment_plot.h"

#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "ui/core/analysis_text.h"
#include "ui/qt/chart_support.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

ExperimentPlot::ExperimentPlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Experiment pe n"), this);
  QChart* chart = view_->chart();
  x_ = new QValueAxis;
  x_->setTitleText(QStringLiteral("n"));
  x_->setLabelFormat(QStringLiteral("%d"));
  y_ = new QLogValueAxis;
  y_->setBase(10.0);
  y_->setLabelFormat(QStringLiteral("%.0e"));
  y_->setTitleText(QStringLiteral("scara logaritmica"));
  chart->addAxis(x_, Qt::AlignBottom);
  chart->addAxis(y_, Qt::AlignLeft);
  empty_ = new QLabel(QStringLiteral("Graficul apare dupa \"Experiment\"."), this);
  layOutPlot(this, empty_, view_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(view_, this, QStringLiteral("experiment.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    if (experiment_)
      saveCsv(this, QStringLiteral("experiment.csv"), [this](std::ostream& o) { writeExperimentCsv(o, *experiment_); });
  });
  clear();
}

void ExperimentPlot::clear() {
  experiment_.reset();
  series_.clear();
  view_->chart()->removeAllSeries();
  x_->setRange(2, 12);
  y_->setRange(1e-16, 1e16);
  empty_->show();
  png_->setEnabled(false);
  csv_->setEnabled(false);
}

void ExperimentPlot::showExperiment(const Experiment& e) {
  clear();
  experiment_ = e;
  QChart* chart = view_->chart();
  struct Curve {
    QString name;
    QColor color;
    double ExperimentPoint::*value;
  };
  std::vector<Curve> curves;
  if (e.condition) {
    curves = {{QStringLiteral("Cond, raportul (simpla precizie)"), QColor(200, 0, 0), &ExperimentPoint::reported},
              {QStringLiteral("Cond, referinta"), QColor(40, 40, 200), &ExperimentPoint::kappa},
              {QStringLiteral("eroarea relativa a raportului"), QColor(0, 140, 60), &ExperimentPoint::relativeError}};
  } else {
    curves = {{QStringLiteral("eroare inainte"), QColor(200, 0, 0), &ExperimentPoint::forward},
              {QStringLiteral("eroare inapoi"), QColor(0, 140, 60), &ExperimentPoint::backward},
              {QStringLiteral("\u03ba\u221e(A)"), QColor(40, 40, 200), &ExperimentPoint::kappa}};
  }
  double lo = 1.0, hi = 1.0;
  std::int32_t first = 0, last = 0;
  for (const Curve& c : curves) {
    auto* s = new QLineSeries;
    s->setName(c.name);
    s->setColor(c.color);
    s->setPointsVisible(true);
    for (const ExperimentPoint& p : e.points) {
      const double v = p.*c.value;
      if (p.skipped || !(v > 0.0) || !std::isfinite(v)) continue;  // a log scale has no place for 0
      s->append(p.n, v);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      first = first ? std::min(first, p.n) : p.n;
      last = std::max(last, p.n);
    }
    series_.push_back(s);
  }
  auto* one = new QLineSeries;
  one->setName(QStringLiteral("eroare = 1: nicio cifra corecta"));
  QPen pen(Qt::black);
  pen.setStyle(Qt::DashLine);
  one->setPen(pen);
  if (!first) first = 2, last = 3;
  one->append(first, 1.0);
  one->append(std::max(last, first + 1), 1.0);
  series_.push_back(one);
  for (QLineSeries* s : series_) {
    chart->addSeries(s);
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  x_->setRange(first, std::max(last, first + 1));
  x_->setTickCount(std::clamp(last - first + 1, 2, 12));
  // A label per decade, or per few decades when they are many.
  const double bottom = std::floor(std::log10(lo)), topDecade = std::ceil(std::log10(hi));
  const double step = std::max(1.0, std::ceil((topDecade - bottom) / 10.0));
  y_->setBase(std::pow(10.0, step));
  y_->setRange(std::pow(10.0, std::floor(bottom / step) * step), std::pow(10.0, std::ceil(topDecade / step) * step));
  chart->setTitle(QStringLiteral("Experiment pe n: %1, %2").arg(fromStd(e.generator), fromStd(e.method)));
  empty_->hide();
  png_->setEnabled(true);
  csv_->setEnabled(true);
}

std::vector<std::vector<QPointF>> ExperimentPlot::curves() const {
  std::vector<std::vector<QPointF>> out;
  for (const QLineSeries* s : series_) {
    const QList<QPointF> p = s->points();
    out.emplace_back(p.begin(), p.end());
  }
  return out;
}

}  // namespace parvela::qt
