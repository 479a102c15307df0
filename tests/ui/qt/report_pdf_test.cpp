// The report on paper: as many pages as the text and the plots need, each
// headed by the file name and its number, and the text of the PDF is the
// report's (read back with pdftotext where poppler-utils is installed).
#include <gtest/gtest.h>

#include <QFile>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "ui/qt/report_pdf.h"

namespace parvela::qt::test {

// Pages of a PDF as Qt writes it: one "/Type /Page" object each.
int pdfPages(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}

// The text of the PDF, or nothing where pdftotext is missing.
std::optional<QString> pdfText(const QString& path) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (tool.isEmpty()) return std::nullopt;
  QProcess p;
  p.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return QString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString squeezed(QString s) { return s.remove(QRegularExpression(QStringLiteral("\\s+"))); }

RunRecord runWithPlots() {
  RunRecord run;
  run.number = 1;
  run.method = "Gauss-Seidel";
  run.iterative = true;
  run.trace.sweeps.push_back({1, {{1, 0.5}, {2, 0.01}, {3, 1e-6}}, false});
  run.trace.pivots = {{1, 4.0}, {2, 3.5}};
  return run;
}

class ReportPdf : public ::testing::Test {
 protected:
  QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
  QTemporaryDir dir_;
};

TEST_F(ReportPdf, PagesForTheTextThenOnePerPlot) {
  QPdfWriter probe(path("probe.pdf"));
  probe.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                  QPageLayout::Millimeter));
  const int perPage = layOutText(probe, {QStringLiteral("x")}).linesPerPage;
  ASSERT_GT(perPage, 40);

  struct Case {
    int lines;
    bool plots;
    int pages;
  } cases[] = {{0, false, 1}, {1, false, 1}, {perPage, false, 1}, {perPage + 1, false, 2},
               {3 * perPage, true, 5}};
  for (const Case& c : cases) {
    PrintedReport report{QStringLiteral("sistem.dat"), {}, std::nullopt};
    for (int i = 1; i <= c.lines; ++i) report.lines << QStringLiteral(" x(%1) =   %2").arg(i).arg(i * 0.25);
    if (c.plots) report.run = runWithPlots();
    ASSERT_TRUE(writeReportPdf(path("r.pdf"), report));
    EXPECT_EQ(pdfPages(path("r.pdf")), c.pages) << c.lines << " lines";
  }
}

TEST_F(ReportPdf, TextHoldsTheReportAndEveryPageItsHeader) {
  PrintedReport report{QStringLiteral("tema 3.dat"), {}, runWithPlots()};
  for (int i = 1; i <= 150; ++i) report.lines << QStringLiteral(" x(%1) =\t%2").arg(i).arg(i * 0.5, 15, 'E', 6);
  // Wider than a page even at the smallest size: it continues on the next line.
  const QString wide = QString::number(7).repeated(60) + QString::number(3).repeated(200);
  report.lines << wide;
  ASSERT_TRUE(writeReportPdf(path("r.pdf"), report));
  const std::optional<QString> text = pdfText(path("r.pdf"));
  if (!text) GTEST_SKIP() << "pdftotext is not installed";
  const int pages = pdfPages(path("r.pdf"));
  EXPECT_GE(pages, 4);  // two or more pages of text, two plots
  for (int p = 1; p <= pages; ++p)
    EXPECT_TRUE(text->contains(QStringLiteral("Pagina %1 din %2").arg(p).arg(pages))) << p;
  EXPECT_EQ(text->count(QStringLiteral("tema 3.dat")), pages);
  // The lines in order, each whole.
  qsizetype at = 0;
  for (int i = 1; i <= 150; ++i) {
    const QRegularExpression line(QStringLiteral("x\\(%1\\) =\\s+%2\\n").arg(i).arg(QRegularExpression::escape(
        QString::number(i * 0.5, 'E', 6))));
    const QRegularExpressionMatch m = line.match(*text, at);
    ASSERT_TRUE(m.hasMatch()) << i;
    at = m.capturedEnd();
  }
  EXPECT_TRUE(squeezed(text->mid(at)).startsWith(wide));
  EXPECT_TRUE(text->contains(QStringLiteral("Convergenta")));
  EXPECT_TRUE(text->contains(QStringLiteral("Pivotii pe pas")));
}

// "Tipareste..." paints through the printer the dialog set up: here one
// that prints into a PDF file.
TEST_F(ReportPdf, PrinterGetsTheSamePages) {
  PrintedReport report{QStringLiteral("s.dat"), {QStringLiteral("Metoda: Gauss")}, runWithPlots()};
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path("p.pdf"));
  EXPECT_EQ(paintReport(printer, report), 3);
  EXPECT_EQ(pdfPages(path("p.pdf")), 3);
}

TEST_F(ReportPdf, UnwritablePathFailsAndLeavesNothing) {
  EXPECT_FALSE(writeReportPdf(path("no/such/folder/r.pdf"), {QStringLiteral("s.dat"), {}, std::nullopt}));
}

}  // namespace parvela::qt::test
