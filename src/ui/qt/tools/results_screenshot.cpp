// Renders the main window and its results window after a scripted session
// into one PNG file (used by scripts/screenshot):
//   gauss DATAFILE OUT.png  - Gauss with the determinant: the report view
//   sor DATAFILE OUT.png    - two SOR runs (omega 1.0 and 1.5), curves overlaid
//   grid DATAFILE OUT.png   - "Problema noua": a matrix pasted into the data
//                             grid, a cell marked
//   steps DATAFILE OUT.png [PAGE [METHOD]] - the step view at PAGE after a run of
//                             METHOD (1..5 of the list, default Gauss; cond1..cond4 the
//                             condition number with that norm), results window only
//   exact DATAFILE OUT.png [PAGE] - Gauss on the generated Hilbert matrix, the step
//                             view with the exact values beside (results window only)
// The data file is copied to a scratch folder first; the session clicks the
// window's own controls.
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>

#include "ui/core/templates.h"
#include "ui/qt/convergence_plot.h"
#include "ui/qt/data_grid_window.h"
#include "ui/qt/results_window.h"
#include "ui/qt/step_view.h"
#include "ui/qt/tools/scripted_session.h"

using namespace parvela;
using namespace parvela::qt;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s gauss|sor|grid|steps|exact DATAFILE OUTPUT.png [PAGE [METHOD]]\n", argv[0]);
    return 2;
  }
  const QString mode = QString::fromLocal8Bit(argv[1]);
  tools::ScriptedSession session;
  if (!session.start(argv[2])) return 1;
  QtDialog& w = session.window();
  ResultsWindow& r = session.results();

  if (mode == QLatin1String("grid")) {
    // A new problem: the matrix and the right-hand side pasted from a
    // spreadsheet whose decimal separator is a comma.
    session.desktop().answer = session.scratchPath(QStringLiteral("proba.dat"));
    bool ok = false;
    session.desktop().onGrid = [&](DataGridWindow& g) {
      g.resize(760, 400);
      g.show();
      g.titleEdit()->setText(QStringLiteral("Sistem tridiagonal"));
      emit g.titleEdit()->textEdited(g.titleEdit()->text());
      GridView* a = g.view(GridPart::Matrix);
      g.pasteAt(GridPart::Matrix, a->model()->index(0, 0),
                QStringLiteral("4\t-1\t0\t0\n-1\t4\t-1\t0\n0\t-1\t4\t-1\n0\t0\t-1\t4\n"));
      g.pasteAt(GridPart::Rhs, g.view(GridPart::Rhs)->model()->index(0, 0), QStringLiteral("3\n2\n2,5\n3\n"));
      GridView* b = g.view(GridPart::Rhs);
      b->setFocus();
      b->setCurrentIndex(b->model()->index(2, 0));
      b->selectionModel()->clearSelection();
      for (int k = 0; k < 5; ++k) QApplication::processEvents();
      ok = g.grab().save(QString::fromLocal8Bit(argv[3]));
    };
    r.newProblemButton()->click();
    if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return ok ? 0 : 1;
  }

  const bool stepsOnly = mode == QLatin1String("steps") || mode == QLatin1String("exact");
  const QString method = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QStringLiteral("1");
  if (stepsOnly && !method.startsWith(QLatin1String("cond"))) session.choose(kIdMethodList, method.toInt());
  if (mode == QLatin1String("exact")) {
    session.press(kIdGenerated);
    session.choose(kIdGeneratorList, 1);
  }
  session.press(kIdSelect);
  session.press(kIdRead);
  if (stepsOnly) {
    if (method.startsWith(QLatin1String("cond"))) {
      session.press(kIdConditionNumber);
      session.press(kIdRead);
      session.choose(kIdNormList, method.mid(4).toInt());
    } else {
      session.type(kIdEps, QStringLiteral("0.00001"));
      session.type(kIdNlim, QStringLiteral("200"));
      session.type(kIdOmega, QStringLiteral("1.2"));
    }
    session.press(kIdSolve);
    r.tabs()->setCurrentWidget(r.stepView());
    if (mode == QLatin1String("exact")) r.stepView()->setExact(true);
    r.stepView()->setPage(argc > 4 ? std::size_t(std::atoi(argv[4])) : 1);
    for (int k = 0; k < 5; ++k) QApplication::processEvents();
    const bool ok = r.grab().save(QString::fromLocal8Bit(argv[3]));
    if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return ok ? 0 : 1;
  }
  if (mode == QLatin1String("gauss")) {
    session.choose(kIdMethodList, 1);
    session.press(kIdDeterminant);
    session.press(kIdSolve);
  } else {
    session.choose(kIdMethodList, 5);
    r.convergencePlot()->setKeepRuns(true);
    session.type(kIdEps, QStringLiteral("0.00001"));
    session.type(kIdNlim, QStringLiteral("500"));
    session.type(kIdOmega, QStringLiteral("1.0"));
    session.press(kIdSolve);
    session.type(kIdOmega, QStringLiteral("1.5"));
    session.press(kIdSolve);
  }
  for (int k = 0; k < 5; ++k) QApplication::processEvents();

  // Both windows side by side, as they stand on the desktop.
  const QPixmap left = w.grab();
  const QPixmap right = r.grab();
  const int gap = 8;
  QPixmap shot(left.width() + gap + right.width(), std::max(left.height(), right.height()));
  shot.fill(QColor(0x5a, 0x6e, 0x7f));
  QPainter p(&shot);
  p.drawPixmap(0, 0, left);
  p.drawPixmap(left.width() + gap, 0, right);
  p.end();
  const bool ok = shot.save(QString::fromLocal8Bit(argv[3]));
  if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[3]);
  return ok ? 0 : 1;
}
