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

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string_view>

#include "io/file_write.h"

namespace parvela::qt {

QChartView* makeChartView(const QString& title, QWidget* parent) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->legend()->setShowToolTips(true);
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

void fitAxes(QValueAxis* x, QValueAxis* y, double x0, double x1, double y0, double y1) {
  if (!(x1 > x0)) x1 = x0 + 1;
  if (!(y1 > y0)) {
    y0 -= 1;
    y1 += 1;
  }
  const double pad = (y1 - y0) * 0.05;
  x->setRange(std::floor(x0), std::ceil(x1));
  y->setRange(std::floor(y0 - pad), std::ceil(y1 + pad));
  const double span = std::ceil(x1) - std::floor(x0);
  x->setTickCount(int(std::clamp(span + 1, 2.0, 11.0)));
  x->applyNiceNumbers();
  y->applyNiceNumbers();
}

// Both go through the all-or-nothing writer: the file is complete or as it was.
bool writePng(QChartView* view, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  return buffer.open(QIODevice::WriteOnly) && view->grab().save(&buffer, "PNG") &&
         writeFileAtomically(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
}

bool writeCsv(const QString& path, const std::function<void(std::ostream&)>& write) {
  std::ostringstream out;
  write(out);
  return writeFileAtomically(QFile::encodeName(path).toStdString(), out.str());
}

bool savePng(QChartView* view, QWidget* parent, const QString& suggestedName) {
  const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Salveaza graficul"), suggestedName,
                                                    QStringLiteral("Imagini PNG (*.png)"));
  return !path.isEmpty() && writePng(view, path);
}

bool saveCsv(QWidget* parent, const QString& suggestedName, const std::function<void(std::ostream&)>& write) {
  const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Salveaza datele"), suggestedName,
                                                    QStringLiteral("Fisiere CSV (*.csv)"));
  return !path.isEmpty() && writeCsv(path, write);
}

void layOutPlot(QWidget* owner, QLabel* empty, QChartView* view, QPushButton*& png, QPushButton*& csv) {
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
  layout->addWidget(view, 1);
  layout->addLayout(buttons);
  png->setEnabled(false);
  csv->setEnabled(false);
}

}  // namespace parvela::qt
