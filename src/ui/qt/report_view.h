// The report view: the data file as it is on disk, in a fixed-pitch font,
// every line exactly as written (trailing blanks kept, no reflow), read
// lazily so that a report of tens of megabytes opens at once. Above it the
// runs of the file, each by its header's first line; Ctrl+F searches,
// Ctrl+C copies the selection.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ui/core/paged_file.h"
#include "ui/core/report_index.h"
#include "ui/core/run_record.h"
#include "ui/qt/report_pdf.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace parvela::qt {

// A fixed-pitch font: DejaVu Sans Mono where it is installed, else the
// first family the font system reports as fixed pitch.
QFont reportFont();
// The line with its tabs replaced by blanks up to the next multiple of 8
// columns, as the view draws it.
QString expandTabs(const QString& line);

// Position in the text: line, and character in the line.
struct TextPos {
  std::size_t line = 0;
  int column = 0;
  auto operator<=>(const TextPos&) const = default;
};

// The text area: paints only the lines in sight, read from the paged file.
class ReportText : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit ReportText(PagedFile& file, QWidget* parent = nullptr);

  void reload();  // after the file was (re)indexed
  // Scrolls so that `line` is the first line in sight.
  void scrollToLine(std::size_t line);
  std::size_t firstVisibleLine() const;
  int visibleLineCount() const;
  // The line as shown (tabs kept as characters; they are drawn to the next
  // multiple of 8 columns).
  QString lineText(std::size_t line) const;

  void select(TextPos from, TextPos to);
  void selectAll();
  bool hasSelection() const { return anchor_ != cursor_; }
  QString selectedText() const;
  void copy() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;

 private:
  void updateScrollBars();
  TextPos hit(const QPoint& p) const;
  void ensureVisible(std::size_t line);

  PagedFile& file_;
  int charWidth_ = 8;
  int lineHeight_ = 16;
  TextPos anchor_, cursor_;
};

class ReportView : public QWidget {
  Q_OBJECT
 public:
  explicit ReportView(QWidget* parent = nullptr);

  // Shows `path`; the runs are those after `dataEnd`. The view scrolls to
  // the report that starts at `focus` (or to the last run when none does).
  bool showFile(const QString& path, std::uint64_t dataEnd, std::optional<std::uint64_t> focus = {});
  void clear();

  PagedFile& file() { return file_; }
  ReportText* text() const { return text_; }
  const std::vector<ReportEntry>& runs() const { return runs_; }
  QComboBox* runList() const { return runList_; }
  // The search bar (Ctrl+F).
  void showSearch();
  QLineEdit* searchBox() const { return searchBox_; }
  // Next (or previous) match of the search box's text from the cursor;
  // false when there is none.
  bool findNext(bool forward = true);

  // The run of this session that wrote a report of the file, when known:
  // its plots go with the report on paper.
  using RunLookup = std::function<std::optional<RunRecord>(const ReportEntry&)>;
  void setRunLookup(RunLookup lookup) { lookup_ = std::move(lookup); }
  // The report of the run chosen in the list of runs ("PDF..." and
  // "Tipareste..." take it); nothing when the file holds no run.
  std::optional<PrintedReport> selectedReport();
  // "PDF...": asks for a file name and writes the selected report.
  bool saveReportPdf();
  bool printSelectedReport();
  QPushButton* pdfButton() const { return pdf_; }
  QPushButton* printButton() const { return print_; }

 private:
  void goToRun(int index);

  PagedFile file_;
  std::vector<ReportEntry> runs_;
  ReportText* text_;
  QComboBox* runList_;
  QLabel* fileLabel_;
  QWidget* searchBar_;
  QLineEdit* searchBox_;
  QCheckBox* matchCase_;
  QLabel* searchStatus_;
  QPushButton* pdf_;
  QPushButton* print_;
  std::uint64_t searchFrom_ = 0;
  RunLookup lookup_;
};

}  // namespace parvela::qt
