#include "ui/qt/large_text_view.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace parvela::qt {

namespace {

constexpr const char kReportStart[] = "Problema: ";

}  // namespace

std::int64_t newestReportLine(const char* text, std::int64_t size) {
  const std::int64_t n = sizeof kReportStart - 1;
  // The last line that begins with the report's first words.
  for (std::int64_t pos = size - n; pos >= 0; --pos) {
    if ((pos == 0 || text[pos - 1] == '\n') && std::memcmp(text + pos, kReportStart, n) == 0) {
      return std::count(text, text + pos, '\n');
    }
  }
  return 0;
}

LargeTextView::LargeTextView(QByteArray bytes, bool latin1, QWidget* parent)
    : QAbstractScrollArea(parent), bytes_(std::move(bytes)), latin1_(latin1) {
  const char* p = bytes_.constData();
  const std::int64_t size = bytes_.size();
  // Counted first, so the index is allocated once at its size.
  starts_.reserve(static_cast<std::size_t>(std::count(p, p + size, '\n')) + 1);
  std::int64_t at = 0;
  for (;;) {
    starts_.push_back(at);
    const void* lf = at < size ? std::memchr(p + at, '\n', static_cast<std::size_t>(size - at)) : nullptr;
    const std::int64_t end = lf ? static_cast<const char*>(lf) - p : size;
    widest_ = std::max(widest_, end - at);
    if (!lf) break;
    at = end + 1;
  }
  // A final line end does not start another (empty) line.
  if (starts_.size() > 1 && starts_.back() == size) starts_.pop_back();
  viewport()->setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  updateScrollBars();
}

QString LargeTextView::line(std::int64_t i) const {
  if (i < 0 || i >= lineCount()) return {};
  const std::int64_t from = starts_[static_cast<std::size_t>(i)];
  std::int64_t to = i + 1 < lineCount() ? starts_[static_cast<std::size_t>(i + 1)] - 1 : bytes_.size();
  if (to > from && bytes_.constData()[to - 1] == '\r') --to;
  const char* p = bytes_.constData() + from;
  QString s = latin1_ ? QString::fromLatin1(p, to - from) : QString::fromUtf8(p, to - from);
  if (s.contains(QLatin1Char('\t'))) {  // tab stops every 8 columns
    QString out;
    for (QChar c : s) {
      if (c == QLatin1Char('\t'))
        out += QString(static_cast<qsizetype>(8 - out.size() % 8), QLatin1Char(' '));
      else
        out += c;
    }
    s = out;
  }
  return s;
}

int LargeTextView::rowsInSight() const {
  return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

std::int64_t LargeTextView::firstVisibleLine() const { return verticalScrollBar()->value(); }

void LargeTextView::scrollToLine(std::int64_t i) {
  verticalScrollBar()->setValue(static_cast<int>(std::clamp<std::int64_t>(i, 0, verticalScrollBar()->maximum())));
}

void LargeTextView::updateScrollBars() {
  const int rows = rowsInSight();
  verticalScrollBar()->setRange(0, static_cast<int>(std::max<std::int64_t>(0, lineCount() - rows)));
  verticalScrollBar()->setPageStep(rows);
  verticalScrollBar()->setSingleStep(1);
  const int width = static_cast<int>(std::min<std::int64_t>(widest_ + 2, 1 << 20)) *
                    fontMetrics().horizontalAdvance(QLatin1Char('0'));
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

void LargeTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void LargeTextView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QFontMetrics fm = fontMetrics();
  const int step = fm.lineSpacing();
  const int x = 4 - horizontalScrollBar()->value();
  std::int64_t i = firstVisibleLine();
  for (int y = 0; y < viewport()->height() && i < lineCount(); y += step, ++i)
    painter.drawText(x, y + fm.ascent(), line(i));
}

void LargeTextView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* v = verticalScrollBar();
  switch (event->key()) {
    case Qt::Key_Home:
      if (event->modifiers() & Qt::ControlModifier) v->setValue(0);
      break;
    case Qt::Key_End:
      if (event->modifiers() & Qt::ControlModifier) v->setValue(v->maximum());
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
}

}  // namespace parvela::qt
