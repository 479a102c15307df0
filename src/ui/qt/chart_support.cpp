#include "ui/qt/chart_support.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QGraphicsLayout>
#include <QLegend>
#include <QPainter>
#include <QPixmap>
#include <QScatterSeries>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string_view>

#include "io/file_write.h"

#include "ui/qt/plot_legend.h"

namespace parvela::qt {

QChartView* makeChartView(const QString& title, QWidget* parent) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->hide();
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  chart->setMargins(QMargins(4, 4, 4, 4));
  auto* view = new QChartView(chart, parent);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(360, 260);
  return view;
}

void makeAxes(QChart* chart, const QString& xTitle, const QString& yTitle, QValueAxis*& x, QValueAxis*& y) {
  x = new QValueAxis;
  x->setTitleText(xTitle);
  x->setLabelFormat(QStringLiteral("%d"));
  y = new QValueAxis;
  y->setTitleText(yTitle);
  y->setLabelFormat(QStringLiteral("%.1f"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
}

void applyAxis(QValueAxis* axis, const AxisRange& range) {
  axis->setRange(range.lo, range.hi);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(range.tickAnchor);
  axis->setTickInterval(range.tickInterval);
  axis->setLabelFormat(range.decimals == 0 ? QStringLiteral("%.0f") : QStringLiteral("%.%1f").arg(range.decimals));
}

QString zeroMarkerText() { return QStringLiteral("0 exact"); }

QScatterSeries* zeroMarkers(const LogCurve& curve, double zeroLevel, const QColor& color) {
  if (curve.zeroSteps.empty()) return nullptr;
  auto* s = new QScatterSeries;
  s->setName(zeroMarkerText());
  s->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
  s->setMarkerSize(kPointMarkerSize + 2);
  s->setColor(color);
  s->setBorderColor(color.darker());
  for (std::int64_t step : curve.zeroSteps) s->append(double(step), zeroLevel);
  return s;
}

QWidget* makeFigure(QChartView* view, PlotLegend* legend, QWidget* parent) {
  auto* figure = new QWidget(parent);
  figure->setAutoFillBackground(true);
  figure->setBackgroundRole(QPalette::Base);
  view->setParent(figure);
  legend->setParent(figure);
  auto* layout = new QVBoxLayout(figure);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view, 1);
  layout->addWidget(legend);
  return figure;
}

// Through the all-or-nothing writer: the file is complete or as it was.
bool writePng(QWidget* figure, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  return buffer.open(QIODevice::WriteOnly) && figure->grab().save(&buffer, "PNG") &&
         writeFileAtomically(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
}

bool writeCsv(const QString& path, const std::function<void(std::ostream&)>& write) {
  std::ostringstream out;
  write(out);
  return writeFileAtomically(QFile::encodeName(path).toStdString(), out.str());
}

bool savePng(QWidget* figure, QWidget* parent, const QString& suggestedName) {
  const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Salveaza graficul"), suggestedName,
                                                    QStringLiteral("Imagini PNG (*.png)"));
  return !path.isEmpty() && writePng(figure, path);
}

bool saveCsv(QWidget* parent, const QString& suggestedName, const std::function<void(std::ostream&)>& write) {
  const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Salveaza datele"), suggestedName,
                                                    QStringLiteral("Fisiere CSV (*.csv)"));
  return !path.isEmpty() && writeCsv(path, write);
}

void layOutPlot(QWidget* owner, QLabel* empty, QWidget* figure, QPushButton*& png, QPushButton*& csv) {
  empty->setAlignment(Qt::AlignCenter);
  png = new QPushButton(QStringLiteral("PNG..."), owner);
  csv = new QPushButton(QStringLiteral("CSV..."), owner);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(png);
  buttons->addWidget(csv);
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(empty);
  layout->addWidget(figure, 1);
  layout->addLayout(buttons);
  png->setEnabled(false);
  csv->setEnabled(false);
}

QString emptyPlotText(const QString& why, const QString& hint) {
  return why.isEmpty() ? hint : why + QLatin1Char('\n') + hint;
}

}  // namespace parvela::qt
