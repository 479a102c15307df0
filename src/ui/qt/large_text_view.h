// A read-only view of a large text file that keeps only the file's bytes
// and the offsets of its lines in memory, and draws the lines in sight from
// them. The editor uses it for files too large to edit comfortably.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace parvela::qt {

class LargeTextView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // `latin1`: the bytes are not UTF-8 and are shown one character each.
  LargeTextView(QByteArray bytes, bool latin1, QWidget* parent = nullptr);

  const QByteArray& bytes() const { return bytes_; }
  std::int64_t lineCount() const { return static_cast<std::int64_t>(starts_.size()); }
  // Line `i` (0-based) without its line end, as shown.
  QString line(std::int64_t i) const;
  // The first line in sight.
  std::int64_t firstVisibleLine() const;
  void scrollToLine(std::int64_t i);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void updateScrollBars();
  int rowsInSight() const;

  QByteArray bytes_;
  bool latin1_ = false;
  std::vector<std::int64_t> starts_;  // offset of each line
  std::int64_t widest_ = 0;           // bytes of the longest line
};

// The line, 0-based, where the last report of a data file's text starts
// (its "Problema:" line); 0 when there is none.
std::int64_t newestReportLine(const char* text, std::int64_t size);

}  // namespace parvela::qt
