// The arrays of one step (or a table of iterations) drawn as a grid: the
// pivot, the cells the step changed and the multipliers marked, a bar
// before the right-hand sides, interchanged rows flagged; with the exact
// toggle each cell holds the exact value and the relative difference under
// the run's value. Every digit in a cell's tool tip.
#pragma once

#include <QFont>
#include <QWidget>

#include "ui/core/step_pages.h"

namespace parvela::qt {

class StepGridView : public QWidget {
  Q_OBJECT
 public:
  explicit StepGridView(QWidget* parent = nullptr);

  void setGrid(StepGrid grid, bool exact);
  const StepGrid& grid() const { return grid_; }
  // The largest point size (down to a floor) at which the grid is at most
  // `width` pixels wide; the grid keeps it.
  void fitWidth(int width);
  int pointSize() const { return font_.pointSize(); }
  // Where the current row of a table is (for scrolling to it).
  QRect currentRowRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  static constexpr int kLargestPoint = 10;
  static constexpr int kSmallestPoint = 7;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Metrics {
    int headWidth = 0;       // row heads
    std::vector<int> x;      // left edge of each column (cols + 1 entries)
    int headHeight = 0;
    int rowHeight = 0;
    int width() const { return x.empty() ? headWidth : x.back(); }
  };
  Metrics measure(const QFont& font) const;
  void relayout();
  int cellAt(const QPoint& p) const;

  StepGrid grid_;
  bool exact_ = false;
  QFont font_;
  Metrics m_;
};

}  // namespace parvela::qt
