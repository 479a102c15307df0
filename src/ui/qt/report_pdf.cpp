#include "ui/qt/report_pdf.h"

#include <QApplication>
#include <QBuffer>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "io/data_file.h"
#include "ui/core/paged_file.h"
#include "ui/core/report_index.h"
#include "ui/qt/convergence_plot.h"
#include "ui/qt/pivot_plot.h"
#include "ui/qt/power_plot.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/report_view.h"

namespace parvela::qt {

namespace {

constexpr double kLargestPoints = 9.0;
constexpr double kSmallestPoints = 6.0;
constexpr double kHeaderPoints = 8.0;
// The chart is laid out at this width (in its own units) and scaled to the page.
constexpr double kChartWidth = 720.0;

QFont textFont(double points) {
  QFont f = reportFont();
  f.setPointSizeF(points);
  return f;
}

// Height of the header: its text, a rule and a gap of one text line.
double headerHeight(QPagedPaintDevice& device, double textLine) {
  return QFontMetricsF(textFont(kHeaderPoints), &device).lineSpacing() * 1.5 + textLine;
}

// The lines as painted: tabs expanded, lines wider than the page continued
// on the next.
QStringList pageLines(const QStringList& lines, int columns) {
  QStringList out;
  for (const QString& raw : lines) {
    QString line = expandTabs(raw);
    if (columns <= 0 || line.size() <= columns) {
      out << line;
      continue;
    }
    for (qsizetype at = 0; at < line.size(); at += columns) out << line.mid(at, columns);
  }
  return out;
}

// The charts of the run, each made by its own plot widget as the results
// window makes them.
struct Plots {
  std::vector<std::unique_ptr<QWidget>> owners;
  std::vector<QChartView*> views;
};

Plots plotsOf(const std::optional<RunRecord>& run) {
  Plots p;
  if (!run) return p;
  if (!run->trace.sweeps.empty()) {
    auto w = std::make_unique<ConvergencePlot>();
    w->addRun(*run);
    p.views.push_back(w->chartView());
    p.owners.push_back(std::move(w));
  }
  if (!run->trace.power.empty()) {
    auto w = std::make_unique<PowerPlot>();
    w->showRun(*run);
    p.views.push_back(w->chartView());
    p.owners.push_back(std::move(w));
  }
  if (!run->trace.pivots.empty()) {
    auto w = std::make_unique<PivotPlot>();
    w->showRun(*run);
    p.views.push_back(w->chartView());
    p.owners.push_back(std::move(w));
  }
  return p;
}

void paintHeader(QPainter& painter, QPagedPaintDevice& device, const QString& fileName, int page, int pages) {
  const QFont font = textFont(kHeaderPoints);
  const QFontMetricsF fm(font, &device);
  const double width = device.width();
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QString number = QStringLiteral("Pagina %1 din %2").arg(page).arg(pages);
  const double numberWidth = fm.horizontalAdvance(number);
  painter.drawText(QPointF(width - numberWidth, fm.ascent()), number);
  painter.drawText(QPointF(0, fm.ascent()),
                   fm.elidedText(fileName, Qt::ElideMiddle, std::max(0.0, width - numberWidth - fm.averageCharWidth() * 2)));
  const double rule = fm.lineSpacing() * 1.25;
  painter.drawLine(QPointF(0, rule), QPointF(width, rule));
}

void paintChart(QPainter& painter, QChartView* view, const QRectF& target) {
  QChart* chart = view->chart();
  const QSizeF size(kChartWidth, kChartWidth * target.height() / target.width());
  chart->resize(size);
  if (chart->layout()) chart->layout()->activate();
  QApplication::processEvents();  // the chart lays its axes and series out when asked to
  view->scene()->render(&painter, target, QRectF(chart->pos(), size));
}

}  // namespace

QStringList reportLines(PagedFile& file, const ReportEntry& entry) {
  QStringList lines;
  for (std::size_t l = file.lineAt(entry.offset); l < file.lineCount() && file.lineStart(l) < entry.end; ++l)
    lines << fromStd(file.line(l));
  while (!lines.isEmpty() && lines.front().trimmed().isEmpty()) lines.removeFirst();
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  return lines;
}

PageLayout layOutText(QPagedPaintDevice& device, const QStringList& lines) {
  qsizetype longest = 1;
  for (const QString& l : lines) longest = std::max(longest, expandTabs(l).size());
  PageLayout layout;
  const double width = device.width();
  const double advance = QFontMetricsF(textFont(kLargestPoints), &device).horizontalAdvance(QLatin1Char('0'));
  const double fits = kLargestPoints * width / (advance * double(longest));
  layout.pointSize = std::clamp(std::floor(fits * 4) / 4, kSmallestPoints, kLargestPoints);
  const QFontMetricsF fm(textFont(layout.pointSize), &device);
  layout.columns = std::max(1, int(width / fm.horizontalAdvance(QLatin1Char('0'))));
  const double room = device.height() - headerHeight(device, fm.lineSpacing());
  layout.linesPerPage = std::max(1, int(room / fm.lineSpacing()));
  return layout;
}

int paintReport(QPagedPaintDevice& device, const PrintedReport& report) {
  const PageLayout layout = layOutText(device, report.lines);
  const QStringList lines = pageLines(report.lines, layout.columns);
  const int textPages = std::max<int>(1, int((lines.size() + layout.linesPerPage - 1) / layout.linesPerPage));
  Plots plots = plotsOf(report.run);
  const int pages = textPages + int(plots.views.size());

  QPainter painter;
  if (!painter.begin(&device)) return 0;
  const QFont font = textFont(layout.pointSize);
  const QFontMetricsF fm(font, &device);
  const double top = headerHeight(device, fm.lineSpacing());
  int page = 1;
  for (int p = 0; p < textPages; ++p, ++page) {
    if (p > 0 && !device.newPage()) return 0;
    paintHeader(painter, device, report.fileName, page, pages);
    painter.setFont(font);
    const qsizetype first = qsizetype(p) * layout.linesPerPage;
    const qsizetype last = std::min<qsizetype>(lines.size(), first + layout.linesPerPage);
    for (qsizetype i = first; i < last; ++i)
      painter.drawText(QPointF(0, top + double(i - first) * fm.lineSpacing() + fm.ascent()), lines[i]);
  }
  for (QChartView* view : plots.views) {
    if (!device.newPage()) return 0;
    paintHeader(painter, device, report.fileName, page++, pages);
    const double width = device.width();
    const double height = std::min(device.height() - top, width * 0.75);
    paintChart(painter, view, QRectF(0, top, width, height));
  }
  return painter.end() ? pages : 0;
}

bool writeReportPdf(const QString& path, const PrintedReport& report) {
  // Made in memory, then written whole: a PDF of that name is replaced only
  // by a complete one.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(report.fileName);
    writer.setCreator(QStringLiteral("Parvela"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    if (paintReport(writer, report) == 0) return false;
  }
  const QByteArray& bytes = buffer.data();
  return writeFileAtomically(path.toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

bool printReport(const PrintedReport& report, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(report.fileName);
  printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Tipareste raportul"));
  if (dialog.exec() != QDialog::Accepted) return false;
  return paintReport(printer, report) > 0;
}

}  // namespace parvela::qt
