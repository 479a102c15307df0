// One run's report on paper or as a PDF file: the report's lines in the
// fixed-pitch font, every page headed by the data file's name and its page
// number, then the run's plots, one per page. The same painting serves
// Qt's PDF writer and the printer chosen in the print dialog.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "ui/core/run_record.h"

class QPagedPaintDevice;
class QWidget;

namespace parvela {
class PagedFile;
struct ReportEntry;
}  // namespace parvela

namespace parvela::qt {

struct PrintedReport {
  QString fileName;             // in every page's header
  QStringList lines;            // the report as written (tabs kept)
  std::optional<RunRecord> run;  // the run, when its plots are known
};

// The lines of one report of the file, without the empty lines around it.
QStringList reportLines(PagedFile& file, const ReportEntry& entry);

// How the text is laid out on a device: the font size (points, from 9 down
// to 6 for wide reports), the columns of a line (longer lines continue on
// the next) and the lines of a page.
struct PageLayout {
  double pointSize = 9;
  int columns = 0;
  int linesPerPage = 0;
};
PageLayout layOutText(QPagedPaintDevice& device, const QStringList& lines);

// Paints the report onto the device's pages; the number of pages (text
// pages, at least one, then one per plot), 0 when painting fails.
int paintReport(QPagedPaintDevice& device, const PrintedReport& report);

// The report as a PDF file (A4, Qt's own writer); false when it cannot be
// written.
bool writeReportPdf(const QString& path, const PrintedReport& report);

// The print dialog, then the report on the printer chosen; false when
// cancelled or when printing fails.
bool printReport(const PrintedReport& report, QWidget* parent);

}  // namespace parvela::qt
