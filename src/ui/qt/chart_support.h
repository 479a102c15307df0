// Pieces shared by the plots: a chart view with the program's look, value
// axes, and the export of a chart as PNG and of its data as CSV.
#pragma once

#include <QChart>
#include <QChartView>
#include <QString>
#include <QValueAxis>

class QLabel;
class QPushButton;

#include <functional>
#include <ostream>

class QWidget;

namespace parvela::qt {

QChartView* makeChartView(const QString& title, QWidget* parent);
// Two value axes attached to the chart, x counting steps.
void makeAxes(QChart* chart, const QString& xTitle, const QString& yTitle, QValueAxis*& x, QValueAxis*& y);
// Ranges that hold [x0, x1] × [y0, y1] with a little room around.
void fitAxes(QValueAxis* x, QValueAxis* y, double x0, double x1, double y0, double y1);

// Asks for a file name and writes the chart's picture / the CSV text.
// True when a file was written.
bool savePng(QChartView* view, QWidget* parent, const QString& suggestedName);

// The layout of a plot tab: the text shown while there is nothing to plot,
// the chart, and the "PNG..." and "CSV..." buttons (disabled until a run is
// shown) at the bottom right.
void layOutPlot(QWidget* owner, QLabel* empty, QChartView* view, QPushButton*& png, QPushButton*& csv);
bool saveCsv(QWidget* parent, const QString& suggestedName, const std::function<void(std::ostream&)>& write);
// The same without asking (used by the dialogs above and by tests).
bool writePng(QChartView* view, const QString& path);
bool writeCsv(const QString& path, const std::function<void(std::ostream&)>& write);

}  // namespace parvela::qt
