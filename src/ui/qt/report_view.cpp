#include "ui/qt/report_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/platform.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/report_pdf.h"
#include "ui/qt/text_editor.h"

namespace parvela::qt {

namespace {

constexpr int kTabWidth = 8;
constexpr int kMargin = 4;

// Display column of character `index` of `line` (tabs to the next stop).
int columnOf(const QString& line, int index) {
  int col = 0;
  const int end = std::min<int>(index, int(line.size()));
  for (int k = 0; k < end; ++k) col = line[k] == u'\t' ? (col / kTabWidth + 1) * kTabWidth : col + 1;
  return col + std::max(0, index - end);
}

// The character under display column `col`.
int indexAt(const QString& line, int col) {
  int c = 0;
  for (int k = 0; k < line.size(); ++k) {
    const int next = line[k] == u'\t' ? (c / kTabWidth + 1) * kTabWidth : c + 1;
    if (col < next) return (col - c) * 2 < next - c ? k : k + 1;
    c = next;
  }
  return int(line.size());
}

}  // namespace

QString expandTabs(const QString& line) {
  if (!line.contains(u'\t')) return line;
  QString out;
  out.reserve(line.size() + kTabWidth);
  for (QChar ch : line) {
    if (ch == u'\t') {
      out += QString(kTabWidth - int(out.size()) % kTabWidth, u' ');
    } else {
      out += ch;
    }
  }
  return out;
}

QFont reportFont() {
  static const QFont font = fixedPitchFont();
  return font;
}

// ---------------------------------------------------------------------------
// Text area

ReportText::ReportText(PagedFile& file, QWidget* parent) : QAbstractScrollArea(parent), file_(file) {
  setFont(reportFont());
  const QFontMetrics fm(font());
  charWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
  lineHeight_ = std::max(1, fm.lineSpacing());
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(charWidth_ * 4);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

QSize ReportText::sizeHint() const { return {charWidth_ * 82 + 2 * kMargin, lineHeight_ * 30}; }

void ReportText::reload() {
  const std::size_t lines = file_.lineCount();
  if (anchor_.line >= lines || cursor_.line >= lines) anchor_ = cursor_ = TextPos{};
  updateScrollBars();
  viewport()->update();
}

int ReportText::visibleLineCount() const { return std::max(1, viewport()->height() / lineHeight_); }

std::size_t ReportText::firstVisibleLine() const { return std::size_t(verticalScrollBar()->value()); }

void ReportText::updateScrollBars() {
  const int lines = int(std::min<std::size_t>(file_.lineCount(), std::size_t(INT32_MAX)));
  const int page = visibleLineCount();
  verticalScrollBar()->setPageStep(page);
  verticalScrollBar()->setRange(0, std::max(0, lines - page));
  // Tabs may widen a line by a few columns beyond its byte count.
  const int width = int(std::min<std::size_t>(file_.longestLine() + kTabWidth, 1 << 20)) * charWidth_ + 2 * kMargin;
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

void ReportText::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  updateScrollBars();
}

void ReportText::scrollToLine(std::size_t line) {
  verticalScrollBar()->setValue(int(std::min<std::size_t>(line, std::size_t(INT32_MAX))));
  horizontalScrollBar()->setValue(0);
}

void ReportText::ensureVisible(std::size_t line) {
  const std::size_t first = firstVisibleLine();
  const std::size_t page = std::size_t(visibleLineCount());
  if (line < first) {
    verticalScrollBar()->setValue(int(line));
  } else if (line >= first + page) {
    verticalScrollBar()->setValue(int(line - page + 1));
  }
}

QString ReportText::lineText(std::size_t line) const {
  return fromStd(const_cast<PagedFile&>(file_).line(line));
}

void ReportText::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.setFont(font());
  const QPalette& pal = palette();
  const std::size_t first = firstVisibleLine();
  const std::size_t last = std::min(file_.lineCount(), first + std::size_t(visibleLineCount()) + 1);
  const int x0 = kMargin - horizontalScrollBar()->value();
  const int ascent = QFontMetrics(font()).ascent();
  const TextPos from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
  for (std::size_t i = first; i < last; ++i) {
    const QString raw = lineText(i);
    const int y = int(i - first) * lineHeight_;
    const QString shown = expandTabs(raw);
    p.setPen(pal.color(QPalette::Text));
    p.drawText(x0, y + ascent, shown);
    if (hasSelection() && i >= from.line && i <= to.line) {
      const int c0 = i == from.line ? columnOf(raw, from.column) : 0;
      const int c1 = i == to.line ? columnOf(raw, to.column) : int(shown.size()) + 1;
      p.fillRect(x0 + c0 * charWidth_, y, (c1 - c0) * charWidth_, lineHeight_, pal.highlight());
      p.setPen(pal.color(QPalette::HighlightedText));
      p.drawText(x0 + c0 * charWidth_, y + ascent, shown.mid(c0, c1 - c0));
    }
  }
}

TextPos ReportText::hit(const QPoint& pos) const {
  if (file_.lineCount() == 0) return {};
  const long long row = std::max(0, pos.y()) / lineHeight_;
  const std::size_t line = std::min(file_.lineCount() - 1, firstVisibleLine() + std::size_t(row));
  const int col = std::max(0, (pos.x() - kMargin + horizontalScrollBar()->value() + charWidth_ / 2) / charWidth_);
  const QString text = lineText(line);
  return {line, std::min(indexAt(text, col), int(text.size()))};
}

void ReportText::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  cursor_ = hit(e->position().toPoint());
  if (!(e->modifiers() & Qt::ShiftModifier)) anchor_ = cursor_;
  viewport()->update();
}

void ReportText::mouseMoveEvent(QMouseEvent* e) {
  if (!(e->buttons() & Qt::LeftButton)) return;
  cursor_ = hit(e->position().toPoint());
  ensureVisible(cursor_.line);
  viewport()->update();
}

void ReportText::mouseDoubleClickEvent(QMouseEvent* e) {
  const TextPos at = hit(e->position().toPoint());
  const QString text = lineText(at.line);
  auto word = [&](int k) { return k >= 0 && k < text.size() && !text[k].isSpace(); };
  int b = at.column, f = at.column;
  while (word(b - 1)) --b;
  while (word(f)) ++f;
  select({at.line, b}, {at.line, f});
}

void ReportText::select(TextPos from, TextPos to) {
  anchor_ = from;
  cursor_ = to;
  ensureVisible(to.line);
  viewport()->update();
}

void ReportText::selectAll() {
  if (file_.lineCount() == 0) return;
  const std::size_t last = file_.lineCount() - 1;
  anchor_ = {0, 0};
  cursor_ = {last, int(lineText(last).size())};
  viewport()->update();
}

QString ReportText::selectedText() const {
  if (!hasSelection()) return {};
  const TextPos from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
  QString out;
  for (std::size_t i = from.line; i <= to.line; ++i) {
    const QString l = lineText(i);
    const int b = i == from.line ? from.column : 0;
    const int e = i == to.line ? to.column : int(l.size());
    out += l.mid(b, e - b);
    if (i != to.line) out += u'\n';
  }
  return out;
}

void ReportText::copy() const {
  if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

void ReportText::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Copy)) {
    copy();
  } else if (e->matches(QKeySequence::SelectAll)) {
    selectAll();
  } else if (e->matches(QKeySequence::MoveToStartOfDocument)) {
    verticalScrollBar()->setValue(0);
  } else if (e->matches(QKeySequence::MoveToEndOfDocument)) {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  } else {
    switch (e->key()) {
      case Qt::Key_PageDown: verticalScrollBar()->triggerAction(QScrollBar::SliderPageStepAdd); break;
      case Qt::Key_PageUp: verticalScrollBar()->triggerAction(QScrollBar::SliderPageStepSub); break;
      case Qt::Key_Down: verticalScrollBar()->triggerAction(QScrollBar::SliderSingleStepAdd); break;
      case Qt::Key_Up: verticalScrollBar()->triggerAction(QScrollBar::SliderSingleStepSub); break;
      case Qt::Key_Right: horizontalScrollBar()->triggerAction(QScrollBar::SliderSingleStepAdd); break;
      case Qt::Key_Left: horizontalScrollBar()->triggerAction(QScrollBar::SliderSingleStepSub); break;
      default: QAbstractScrollArea::keyPressEvent(e); return;
    }
  }
  e->accept();
}

void ReportText::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  QAction* copyAction = menu.addAction(QStringLiteral("Copiaza"), this, &ReportText::copy);
  copyAction->setEnabled(hasSelection());
  copyAction->setShortcut(QKeySequence::Copy);
  menu.addAction(QStringLiteral("Selecteaza tot"), this, &ReportText::selectAll)->setShortcut(QKeySequence::SelectAll);
  menu.exec(e->globalPos());
}

// ---------------------------------------------------------------------------
// The view

ReportView::ReportView(QWidget* parent) : QWidget(parent) {
  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 0, 0);
  fileLabel_ = new QLabel(this);
  fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  runList_ = new QComboBox(this);
  runList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  runList_->setMinimumContentsLength(28);
  runList_->setToolTip(QStringLiteral("Rularile din fisierul de date"));
  top->addWidget(new QLabel(QStringLiteral("Rulari:"), this));
  top->addWidget(runList_, 1);
  top->addWidget(fileLabel_);
  pdf_ = new QPushButton(QStringLiteral("PDF..."), this);
  pdf_->setToolTip(QStringLiteral("Raportul rularii alese, cu graficele ei, intr-un fisier PDF"));
  print_ = new QPushButton(QStringLiteral("Tipareste..."), this);
  print_->setToolTip(QStringLiteral("Tipareste raportul rularii alese, cu graficele ei"));
  pdf_->setEnabled(false);
  print_->setEnabled(false);
  top->addWidget(pdf_);
  top->addWidget(print_);

  text_ = new ReportText(file_, this);

  searchBar_ = new QWidget(this);
  auto* bar = new QHBoxLayout(searchBar_);
  bar->setContentsMargins(0, 0, 0, 0);
  searchBox_ = new QLineEdit(searchBar_);
  searchBox_->setPlaceholderText(QStringLiteral("Cauta in raport"));
  matchCase_ = new QCheckBox(QStringLiteral("Majuscule"), searchBar_);
  auto* prev = new QPushButton(QStringLiteral("Inapoi"), searchBar_);
  auto* next = new QPushButton(QStringLiteral("Inainte"), searchBar_);
  searchStatus_ = new QLabel(searchBar_);
  auto* close = new QToolButton(searchBar_);
  close->setText(QStringLiteral("x"));
  close->setToolTip(QStringLiteral("Inchide cautarea (Esc)"));
  bar->addWidget(new QLabel(QStringLiteral("Cauta:"), searchBar_));
  bar->addWidget(searchBox_, 1);
  bar->addWidget(prev);
  bar->addWidget(next);
  bar->addWidget(matchCase_);
  bar->addWidget(searchStatus_);
  bar->addWidget(close);
  searchBar_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(text_, 1);
  layout->addWidget(searchBar_);

  connect(runList_, &QComboBox::activated, this, &ReportView::goToRun);
  connect(pdf_, &QPushButton::clicked, this, &ReportView::saveReportPdf);
  connect(print_, &QPushButton::clicked, this, &ReportView::printSelectedReport);
  connect(searchBox_, &QLineEdit::returnPressed, this, [this] {
    findNext(!(QApplication::keyboardModifiers() & Qt::ShiftModifier));
  });
  connect(searchBox_, &QLineEdit::textEdited, this, [this] { searchStatus_->clear(); });
  connect(next, &QPushButton::clicked, this, [this] { findNext(true); });
  connect(prev, &QPushButton::clicked, this, [this] { findNext(false); });
  connect(close, &QToolButton::clicked, this, [this] {
    searchBar_->hide();
    text_->setFocus();
  });
  auto* find = new QShortcut(QKeySequence::Find, this, this, &ReportView::showSearch);
  find->setContext(Qt::WidgetWithChildrenShortcut);
  auto* again = new QShortcut(QKeySequence::FindNext, this, this, [this] { findNext(true); });
  again->setContext(Qt::WidgetWithChildrenShortcut);
  auto* back = new QShortcut(QKeySequence::FindPrevious, this, this, [this] { findNext(false); });
  back->setContext(Qt::WidgetWithChildrenShortcut);
  auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), searchBar_, close, &QToolButton::click);
  esc->setContext(Qt::WidgetWithChildrenShortcut);
  setFocusProxy(text_);
}

void ReportView::clear() {
  file_.close();
  runs_.clear();
  runList_->clear();
  fileLabel_->clear();
  pdf_->setEnabled(false);
  print_->setEnabled(false);
  text_->reload();
}

bool ReportView::showFile(const QString& path, std::uint64_t dataEnd, std::optional<std::uint64_t> focus) {
  const bool ok = file_.open(path.toStdString());
  runs_ = ok ? indexReports(file_, dataEnd) : std::vector<ReportEntry>{};
  runList_->clear();
  for (std::size_t k = 0; k < runs_.size(); ++k) {
    const std::optional<RunRecord> run = lookup_ ? lookup_(runs_[k]) : std::nullopt;
    runList_->addItem(fromStd(runs_[k].title(k + 1, run ? run->number : 0)));
  }
  fileLabel_->setText(QFileInfo(path).fileName());
  fileLabel_->setToolTip(path);
  pdf_->setEnabled(!runs_.empty());
  print_->setEnabled(!runs_.empty());
  text_->reload();
  searchFrom_ = 0;

  // The report that begins at `focus` (a line end added before it puts its
  // first byte one or two further); else the last one.
  int at = int(runs_.size()) - 1;
  if (focus) {
    for (std::size_t k = runs_.size(); k-- > 0;)
      if (runs_[k].offset >= *focus) at = int(k);
  }
  if (at >= 0) {
    runList_->setCurrentIndex(at);
    goToRun(at);
  } else {
    text_->scrollToLine(focus ? file_.lineAt(*focus) : 0);
  }
  return ok;
}

void ReportView::goToRun(int index) {
  if (index < 0 || std::size_t(index) >= runs_.size()) return;
  // The leading empty line stays in sight above the header.
  text_->scrollToLine(runs_[std::size_t(index)].line);
  searchFrom_ = runs_[std::size_t(index)].offset;
}

void ReportView::showSearch() {
  searchBar_->show();
  searchBox_->setFocus();
  searchBox_->selectAll();
}

bool ReportView::findNext(bool forward) {
  const QByteArray needle = searchBox_->text().toUtf8();
  if (needle.isEmpty()) return false;
  auto match = file_.find(std::string_view(needle.constData(), std::size_t(needle.size())), searchFrom_, forward,
                          matchCase_->isChecked());
  bool wrapped = false;
  if (!match) {
    match = file_.find(std::string_view(needle.constData(), std::size_t(needle.size())),
                       forward ? 0 : file_.size(), forward, matchCase_->isChecked());
    wrapped = match.has_value();
  }
  if (!match) {
    searchStatus_->setText(QStringLiteral("Nu s-a gasit"));
    return false;
  }
  searchStatus_->setText(wrapped ? QStringLiteral("De la capat") : QString());
  const std::string line = file_.line(match->line);
  const int col = int(fromStd(std::string_view(line).substr(0, match->column)).size());
  const int len = int(QString::fromUtf8(needle).size());
  text_->select({match->line, col}, {match->line, col + len});
  searchFrom_ = forward ? match->offset + 1 : match->offset;
  return true;
}

std::optional<PrintedReport> ReportView::selectedReport() {
  const int index = runList_->currentIndex();
  if (index < 0 || std::size_t(index) >= runs_.size()) return std::nullopt;
  const ReportEntry& entry = runs_[std::size_t(index)];
  PrintedReport report;
  report.fileName = QFileInfo(fromStd(file_.path())).fileName();
  report.lines = reportLines(file_, entry);
  if (lookup_) report.run = lookup_(entry);
  return report;
}

bool ReportView::saveReportPdf() {
  const std::optional<PrintedReport> report = selectedReport();
  if (!report) return false;
  const QString suggested = QFileInfo(fromStd(file_.path())).completeBaseName() +
                            (report->run ? QStringLiteral("-rularea-%1.pdf").arg(report->run->number)
                                         : QStringLiteral("-raportul-%1.pdf").arg(runList_->currentIndex() + 1));
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Raportul ca PDF"),
                                                    QFileInfo(fromStd(file_.path())).dir().filePath(suggested),
                                                    QStringLiteral("Documente PDF (*.pdf)"));
  if (path.isEmpty()) return false;
  if (!writeReportPdf(path, *report)) {
    platform().messageBox("Fisierul " + path.toStdString() + " nu poate fi scris.", "Error", IconKind::Error);
    return false;
  }
  return true;
}

bool ReportView::printSelectedReport() {
  const std::optional<PrintedReport> report = selectedReport();
  return report && printReport(*report, this);
}

}  // namespace parvela::qt
