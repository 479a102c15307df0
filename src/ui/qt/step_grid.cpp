#include "ui/qt/step_grid.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

#include "ui/qt/qt_text.h"

namespace parvela::qt {

namespace {

constexpr int kPad = 3;  // horizontal room each side of a cell's text
constexpr int kBar = 6;  // the bar before the right-hand sides

QColor background(CellMark m) {
  switch (m) {
    case CellMark::Pivot: return QColor(0xff, 0xd9, 0x66);
    case CellMark::Changed: return QColor(0xd6, 0xe8, 0xfb);
    case CellMark::Multiplier: return QColor(0xe8, 0xe8, 0xe8);
    case CellMark::Empty: return QColor(0xf6, 0xf6, 0xf6);
    case CellMark::None: break;
  }
  return Qt::white;
}

QFont smaller(const QFont& f) {
  QFont s = f;
  s.setPointSize(std::max(6, f.pointSize() - 1));
  return s;
}

}  // namespace

StepGridView::StepGridView(QWidget* parent) : QWidget(parent), font_(font()) {
  font_.setPointSize(kLargestPoint - 1);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void StepGridView::setGrid(StepGrid grid, bool exact) {
  grid_ = std::move(grid);
  exact_ = exact;
  relayout();
}

StepGridView::Metrics StepGridView::measure(const QFont& font) const {
  Metrics m;
  const QFontMetrics fm(font);
  const QFontMetrics small(smaller(font));
  for (const std::string& h : grid_.rowHeads) m.headWidth = std::max(m.headWidth, fm.horizontalAdvance(fromStd(h)));
  m.headWidth += 2 * kPad + fm.horizontalAdvance(QStringLiteral("\u2194 "));
  m.x.push_back(m.headWidth);
  for (std::int32_t c = 1; c <= grid_.cols; ++c) {
    int w = c <= static_cast<std::int32_t>(grid_.columnHeads.size())
                ? fm.horizontalAdvance(fromStd(grid_.columnHeads[static_cast<std::size_t>(c - 1)]))
                : 0;
    for (std::int32_t r = 1; r <= grid_.rows; ++r) {
      const StepCell& cell = grid_.cell(r, c);
      w = std::max(w, fm.horizontalAdvance(fromStd(cell.text)));
      if (exact_) {
        w = std::max(w, small.horizontalAdvance(fromStd(cell.exact)));
        w = std::max(w, small.horizontalAdvance(fromStd(cell.diff)));
      }
    }
    const int bar = grid_.barAfter && c == grid_.barAfter + 1 ? kBar : 0;
    m.x.push_back(m.x.back() + bar + w + 2 * kPad);
  }
  m.headHeight = fm.height() + 4;
  m.rowHeight = fm.height() + 4 + (exact_ ? 2 * small.height() : 0);
  return m;
}

void StepGridView::relayout() {
  m_ = measure(font_);
  updateGeometry();
  resize(sizeHint());
  update();
}

void StepGridView::fitWidth(int width) {
  QFont f = font_;
  for (int pt = kLargestPoint; pt >= kSmallestPoint; --pt) {
    f.setPointSize(pt);
    if (measure(f).width() <= width || pt == kSmallestPoint) break;
  }
  if (f.pointSize() != font_.pointSize()) {
    font_ = f;
    relayout();
  }
}

QSize StepGridView::sizeHint() const {
  return {m_.width() + 1, m_.headHeight + m_.rowHeight * grid_.rows + 1};
}

QRect StepGridView::currentRowRect() const {
  if (grid_.currentRow <= 0) return {};
  return {0, m_.headHeight + m_.rowHeight * (grid_.currentRow - 1), m_.width(), m_.rowHeight};
}

int StepGridView::cellAt(const QPoint& p) const {
  if (p.y() < m_.headHeight || p.x() < m_.headWidth) return -1;
  const int r = (p.y() - m_.headHeight) / std::max(1, m_.rowHeight);
  const auto it = std::upper_bound(m_.x.begin(), m_.x.end(), p.x());
  const int c = static_cast<int>(it - m_.x.begin()) - 1;
  if (r >= grid_.rows || c < 0 || c >= grid_.cols) return -1;
  return r * grid_.cols + c;
}

bool StepGridView::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const int k = cellAt(help->pos());
    if (k >= 0 && !grid_.cells[static_cast<std::size_t>(k)].tip.empty())
      QToolTip::showText(help->globalPos(), fromStd(grid_.cells[static_cast<std::size_t>(k)].tip), this);
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(e);
}

void StepGridView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), palette().window());
  if (grid_.rows <= 0) return;
  const QFont small = smaller(font_);
  const QFontMetrics fm(font_);
  const QColor line(0xc8, 0xc8, 0xc8);
  p.setFont(font_);

  // Column heads.
  for (std::int32_t c = 1; c <= grid_.cols; ++c) {
    const int bar = grid_.barAfter && c == grid_.barAfter + 1 ? kBar : 0;
    const QRect r(m_.x[static_cast<std::size_t>(c - 1)] + bar, 0,
                  m_.x[static_cast<std::size_t>(c)] - m_.x[static_cast<std::size_t>(c - 1)] - bar, m_.headHeight);
    p.fillRect(r, QColor(0xee, 0xee, 0xee));
    p.setPen(QColor(0x55, 0x55, 0x55));
    if (c <= static_cast<std::int32_t>(grid_.columnHeads.size()))
      p.drawText(r, Qt::AlignCenter, fromStd(grid_.columnHeads[static_cast<std::size_t>(c - 1)]));
  }

  // Rows: only those the paint event needs.
  const int first = std::max(0, (event->rect().top() - m_.headHeight) / std::max(1, m_.rowHeight));
  const int last = std::min(grid_.rows - 1, (event->rect().bottom() - m_.headHeight) / std::max(1, m_.rowHeight));
  for (int r = first; r <= last; ++r) {
    const int y = m_.headHeight + r * m_.rowHeight;
    const bool current = grid_.currentRow == r + 1;
    const bool marked =
        std::find(grid_.markedRows.begin(), grid_.markedRows.end(), r + 1) != grid_.markedRows.end();
    const QRect head(0, y, m_.headWidth, m_.rowHeight);
    p.fillRect(head, marked ? QColor(0xf8, 0xcb, 0xad) : QColor(0xee, 0xee, 0xee));
    QFont headFont = font_;
    headFont.setBold(marked || current);
    p.setFont(headFont);
    p.setPen(marked ? QColor(0xa0, 0x30, 0x10) : QColor(0x55, 0x55, 0x55));
    p.drawText(head.adjusted(kPad, 0, -kPad, 0), Qt::AlignRight | Qt::AlignTop,
               (marked ? QStringLiteral("\u2194 ") : QString()) + fromStd(grid_.rowHeads[static_cast<std::size_t>(r)]));
    for (std::int32_t c = 1; c <= grid_.cols; ++c) {
      const StepCell& cell = grid_.cell(r + 1, c);
      const int bar = grid_.barAfter && c == grid_.barAfter + 1 ? kBar : 0;
      const QRect box(m_.x[static_cast<std::size_t>(c - 1)] + bar, y,
                      m_.x[static_cast<std::size_t>(c)] - m_.x[static_cast<std::size_t>(c - 1)] - bar, m_.rowHeight);
      QColor bg = background(cell.mark);
      if (current && cell.mark == CellMark::None) bg = QColor(0xff, 0xf2, 0xcc);
      p.fillRect(box, bg);
      p.setPen(line);
      p.drawRect(box.adjusted(0, 0, -1, -1));
      const QRect text = box.adjusted(kPad, 2, -kPad, 0);
      p.setFont(font_);
      p.setPen(Qt::black);
      p.drawText(QRect(text.left(), text.top(), text.width(), fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                 fromStd(cell.text));
      if (exact_ && !cell.exact.empty()) {
        const QFontMetrics sm(small);
        p.setFont(small);
        p.setPen(QColor(0x1b, 0x6e, 0x20));
        p.drawText(QRect(text.left(), text.top() + fm.height(), text.width(), sm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, fromStd(cell.exact));
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawText(QRect(text.left(), text.top() + fm.height() + sm.height(), text.width(), sm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, fromStd(cell.diff));
      }
    }
  }
  if (grid_.barAfter > 0 && grid_.barAfter < grid_.cols) {
    const int x = m_.x[static_cast<std::size_t>(grid_.barAfter)] + kBar / 2;
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2));
    p.drawLine(x, 0, x, m_.headHeight + m_.rowHeight * grid_.rows);
  }
}

}  // namespace parvela::qt
