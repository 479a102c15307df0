#include "ui/qt/plane_plot.h"

#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <ostream>

#include "ui/qt/chart_support.h"

namespace parvela::qt {

namespace {

// Corners of the path the view makes room for: the first ten sweeps.
constexpr std::size_t kPathInView = 21;

std::vector<QPointF> pointsOf(const QXYSeries* s) {
  if (!s) return {};
  const QList<QPointF> p = s->points();
  return {p.begin(), p.end()};
}

}  // namespace

std::optional<std::pair<QPointF, QPointF>> clipLine(double a, double b, double c, const QRectF& r) {
  std::vector<QPointF> hits;
  auto keep = [&](double x, double y) {
    const double ex = r.width() * 1e-9, ey = r.height() * 1e-9;
    if (x >= r.left() - ex && x <= r.right() + ex && y >= r.top() - ey && y <= r.bottom() + ey) hits.emplace_back(x, y);
  };
  if (b != 0.0) {
    keep(r.left(), (c - a * r.left()) / b);
    keep(r.right(), (c - a * r.right()) / b);
  }
  if (a != 0.0) {
    keep((c - b * r.top()) / a, r.top());
    keep((c - b * r.bottom()) / a, r.bottom());
  }
  if (hits.size() < 2) return std::nullopt;
  // The two hits farthest apart (a corner may be hit twice).
  std::pair<QPointF, QPointF> best{hits[0], hits[0]};
  double far = -1.0;
  for (std::size_t i = 0; i < hits.size(); ++i)
    for (std::size_t j = i + 1; j < hits.size(); ++j) {
      const QPointF d = hits[i] - hits[j];
      const double len = QPointF::dotProduct(d, d);
      if (len > far) {
        far = len;
        best = {hits[i], hits[j]};
      }
    }
  return best;
}

PlanePlot::PlanePlot(QWidget* parent) : QWidget(parent) {
  view_ = makeChartView(QStringLiteral("Sistemul 2 x 2 in plan"), this);
  makeAxes(view_->chart(), QStringLiteral("x1"), QStringLiteral("x2"), x_, y_);
  x_->setLabelFormat(QStringLiteral("%.3g"));
  y_->setLabelFormat(QStringLiteral("%.3g"));
  empty_ = new QLabel(QStringLiteral("Desenul apare dupa o rulare cu n = 2."), this);
  layOutPlot(this, empty_, view_, png_, csv_);
  connect(png_, &QPushButton::clicked, this, [this] { savePng(view_, this, QStringLiteral("plan.png")); });
  connect(csv_, &QPushButton::clicked, this, [this] {
    saveCsv(this, QStringLiteral("plan.csv"), [this](std::ostream& o) {
      o << "pas,x1,x2\n";
      int k = 0;
      for (const QPointF& p : pathPoints()) o << k++ << ',' << p.x() << ',' << p.y() << '\n';
    });
  });
  clear();
}

void PlanePlot::clear() {
  picture_.reset();
  view_->chart()->removeAllSeries();
  line1_ = line2_ = path_ = nullptr;
  solution_ = nullptr;
  empty_->show();
  png_->setEnabled(false);
  csv_->setEnabled(false);
}

void PlanePlot::showPicture(const PlanePicture& p) {
  clear();
  picture_ = p;
  // The view: the solution, the start and the first iterates (a diverging
  // path would zoom the lines away), with room around.
  std::vector<QPointF> points;
  if (p.solution) points.emplace_back((*p.solution)[0], (*p.solution)[1]);
  for (std::size_t k = 0; k < p.path.size() && k < kPathInView; ++k)
    if (std::isfinite(p.path[k][0]) && std::isfinite(p.path[k][1])) points.emplace_back(p.path[k][0], p.path[k][1]);
  if (points.empty()) points.emplace_back(0.0, 0.0);
  double x0 = points[0].x(), x1 = x0, y0 = points[0].y(), y1 = y0;
  for (const QPointF& q : points) {
    x0 = std::min(x0, q.x());
    x1 = std::max(x1, q.x());
    y0 = std::min(y0, q.y());
    y1 = std::max(y1, q.y());
  }
  const double span = std::max({x1 - x0, y1 - y0, 1e-6 * std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1), 1.0})});
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, half = span * 0.65;
  x_->setRange(cx - half, cx + half);
  y_->setRange(cy - half, cy + half);
  x_->setTickCount(7);
  y_->setTickCount(7);
  x_->applyNiceNumbers();
  y_->applyNiceNumbers();
  const QRectF rect = viewRect();  // the lines cross the whole view

  QChart* chart = view_->chart();
  auto line = [&](const std::array<double, 3>& l, const QString& name, const QColor& color) {
    auto* s = new QLineSeries;
    s->setName(name);
    QPen pen(color);
    pen.setWidth(2);
    s->setPen(pen);
    if (const auto seg = clipLine(l[0], l[1], l[2], rect)) {
      s->append(seg->first);
      s->append(seg->second);
    }
    return s;
  };
  line1_ = line(p.line1, QStringLiteral("ecuatia 1"), QColor(40, 40, 200));
  line2_ = line(p.line2, QStringLiteral("ecuatia 2"), QColor(0, 140, 60));
  path_ = new QLineSeries;
  path_->setName(QStringLiteral("iteratele"));
  QPen pathPen(QColor(200, 0, 0));
  pathPen.setWidth(1);
  path_->setPen(pathPen);
  path_->setPointsVisible(true);
  for (const auto& q : p.path)
    if (std::isfinite(q[0]) && std::isfinite(q[1])) path_->append(q[0], q[1]);
  solution_ = new QScatterSeries;
  solution_->setName(QStringLiteral("solutia"));
  solution_->setMarkerSize(10);
  solution_->setColor(Qt::black);
  if (p.solution) solution_->append((*p.solution)[0], (*p.solution)[1]);
  for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(line1_), static_cast<QAbstractSeries*>(line2_),
                             static_cast<QAbstractSeries*>(path_), static_cast<QAbstractSeries*>(solution_)}) {
    chart->addSeries(s);
    s->attachAxis(x_);
    s->attachAxis(y_);
  }
  if (p.path.empty()) chart->legend()->markers(path_).value(0)->setVisible(false);
  chart->setTitle(QStringLiteral("Sistemul 2 x 2: unghiul dintre drepte %1\u00b0").arg(p.angleDegrees, 0, 'g', 3));
  empty_->hide();
  png_->setEnabled(true);
  csv_->setEnabled(!p.path.empty());
}

std::vector<QPointF> PlanePlot::linePoints(int equation) const { return pointsOf(equation == 1 ? line1_ : line2_); }
std::optional<QPointF> PlanePlot::solutionPoint() const {
  const std::vector<QPointF> p = pointsOf(solution_);
  if (p.empty()) return std::nullopt;
  return p.front();
}
std::vector<QPointF> PlanePlot::pathPoints() const { return pointsOf(path_); }
QRectF PlanePlot::viewRect() const {
  return QRectF(QPointF(x_->min(), y_->min()), QPointF(x_->max(), y_->max()));
}

}  // namespace parvela::qt
