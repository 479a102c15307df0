#include "ui/qt/power_plot.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/chart_support.h"
#include "ui/qt/qt_text.h"

namespace parvela::qt {

PowerPlot::PowerPlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Metoda puterii: masura convergentei pe iteratie"), this);
  makeAxes(view_->chart(), QStringLiteral("Iteratia"), QStringLiteral("log10 masura convergentei"), x_, y_);
  empty_ = new QLabel(
      QStringLiteral("Graficul apare dupa un numar de conditie cu norma 2 sau Cond(A)*."), this);
  layOutPlot(this, empty_, view_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(view_, this, QStringLiteral("metoda_puterii.png")); });
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
  double x1 = 1, y0 = 0, y1 = 0;
  bool any = false;
  for (const TraceCurve& c : run.trace.power) {
    auto* s = new QLineSeries;
    s->setName(fromStd(powerPassName(c.part)));
    QList<QPointF> pts;
    for (const TracePoint& p : c.points) {
      const QPointF q(double(p.step), log10OrFloor(p.value));
      pts.append(q);
      x1 = std::max(x1, q.x());
      y0 = any ? std::min(y0, q.y()) : q.y();
      y1 = any ? std::max(y1, q.y()) : q.y();
      any = true;
    }
    s->replace(pts);
    chart->addSeries(s);
    s->attachAxis(x_);
    s->attachAxis(y_);
    curves_.emplace_back(c.part, s);
  }
  fitAxes(x_, y_, 0, x1, y0, y1);
  chart->setTitle(QStringLiteral("Metoda puterii (rularea %1)").arg(run.number));
  empty_->hide();
  png_->setEnabled(true);
  csv_->setEnabled(true);
}

std::vector<QPointF> PowerPlot::curvePoints(int pass) const {
  for (const auto& [part, s] : curves_)
    if (part == pass) {
      const QList<QPointF> pts = s->points();
      return {pts.begin(), pts.end()};
    }
  return {};
}

}  // namespace parvela::qt
