// Pieces shared by the plots: a chart view with the program's look, value
// axes, the legend under the chart, the markers of exact zeros, and the
// export of a plot as PNG and of its data as CSV.
#pragma once

#include <QChart>
#include <QChartView>
#include <QColor>
#include <QString>
#include <QValueAxis>

#include <functional>
#include <ostream>

#include "ui/core/plot_data.h"

class QLabel;
class QPushButton;
class QScatterSeries;
class QWidget;

namespace parvela::qt {

class PlotLegend;

// Size of the markers drawn on points, in pixels.
inline constexpr int kPointMarkerSize = 7;
inline constexpr int kVerdictMarkerSize = 11;

// A chart view with the program's look; its legend is a PlotLegend under
// it (the chart's own legend cuts long texts short).
QChartView* makeChartView(const QString& title, QWidget* parent);
// Two value axes attached to the chart, x counting steps.
void makeAxes(QChart* chart, const QString& xTitle, const QString& yTitle, QValueAxis*& x, QValueAxis*& y);
// Range, ticks and tick labels of an axis.
void applyAxis(QValueAxis* axis, const AxisRange& range);
// The "0 exact" markers of a curve at `zeroLevel`, in the curve's colour
// (nullptr when the curve has no zero).
QScatterSeries* zeroMarkers(const LogCurve& curve, double zeroLevel, const QColor& color);
// The legend text of the "0 exact" markers.
QString zeroMarkerText();

// The chart and its legend below it: the picture "PNG..." writes.
QWidget* makeFigure(QChartView* view, PlotLegend* legend, QWidget* parent);

// Asks for a file name and writes the plot's picture / the CSV text.
// True when a file was written.
bool savePng(QWidget* figure, QWidget* parent, const QString& suggestedName);

// The layout of a plot tab: the text shown while there is nothing to plot,
// the figure, and the "PNG..." and "CSV..." buttons (disabled until a run
// is shown) at the bottom right.
void layOutPlot(QWidget* owner, QLabel* empty, QWidget* figure, QPushButton*& png, QPushButton*& csv);
// The empty plot's words: why the last run's curves went (nothing when the
// plot simply has not had a run yet) above when the plot appears.
QString emptyPlotText(const QString& why, const QString& hint);
bool saveCsv(QWidget* parent, const QString& suggestedName, const std::function<void(std::ostream&)>& write);
// The same without asking (used by the dialogs above and by tests).
bool writePng(QWidget* figure, const QString& path);
bool writeCsv(const QString& path, const std::function<void(std::ostream&)>& write);

}  // namespace parvela::qt
