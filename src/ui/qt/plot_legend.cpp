#include "ui/qt/plot_legend.h"

namespace parvela::qt {

namespace {

QString glyph(LegendSymbol s) {
  switch (s) {
    case LegendSymbol::Line: return QStringLiteral("\u2501\u2501");
    case LegendSymbol::DashedLine: return QStringLiteral("\u254d\u254d");
    case LegendSymbol::Circle: return QStringLiteral("\u25cf");
    case LegendSymbol::Square: return QStringLiteral("\u25a0");
    case LegendSymbol::Triangle: return QStringLiteral("\u25b2");
    case LegendSymbol::Star: return QStringLiteral("\u2605");
    case LegendSymbol::Diamond: return QStringLiteral("\u25c6");
  }
  return {};
}

}  // namespace

PlotLegend::PlotLegend(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::RichText);
  setWordWrap(true);
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setContentsMargins(4, 2, 4, 2);
  hide();
}

void PlotLegend::setEntries(std::vector<LegendEntry> entries) {
  entries_ = std::move(entries);
  // An entry breaks only at the blanks of its own text; entries are
  // separated by wide gaps where a line may end.
  QStringList parts;
  for (const LegendEntry& e : entries_)
    parts << QStringLiteral("<span style=\"color:%1\">%2</span>&nbsp;%3")
                 .arg(e.color.name(), glyph(e.symbol), e.text.toHtmlEscaped());
  setText(parts.join(QStringLiteral("&nbsp;&nbsp;&nbsp; ")));
  setVisible(!entries_.empty());
}

QStringList PlotLegend::texts() const {
  QStringList out;
  for (const LegendEntry& e : entries_) out << e.text;
  return out;
}

}  // namespace parvela::qt
