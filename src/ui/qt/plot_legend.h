// The legend under a plot: one entry per curve or kind of marker, each a
// symbol in the curve's colour and its text. The entries wrap onto further
// lines when the plot is narrow; no text is ever cut.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QStringList>

#include <vector>

namespace parvela::qt {

enum class LegendSymbol { Line, DashedLine, Circle, Square, Triangle, Star, Diamond };

struct LegendEntry {
  LegendSymbol symbol = LegendSymbol::Line;
  QColor color;
  QString text;
};

class PlotLegend : public QLabel {
  Q_OBJECT
 public:
  explicit PlotLegend(QWidget* parent = nullptr);

  void setEntries(std::vector<LegendEntry> entries);
  const std::vector<LegendEntry>& entries() const { return entries_; }
  QStringList texts() const;

 private:
  std::vector<LegendEntry> entries_;
};

}  // namespace parvela::qt
