// Renders the main window and its results window after a scripted session
// into one PNG file (used by scripts/screenshot):
//   gauss DATAFILE OUT.png  - Gauss with the determinant: the report view
//   sor DATAFILE OUT.png    - two SOR runs (omega 1.0 and 1.5), curves overlaid
//   grid DATAFILE OUT.png   - "Problema noua" on a new file beside DATAFILE: a
//                             matrix pasted from a spreadsheet, one cell refused
// The data file is copied to a scratch folder first; the session clicks the
// window's own controls.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <functional>

#include <cstdio>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/core/templates.h"
#include "ui/qt/background_work.h"
#include "ui/qt/convergence_plot.h"
#include "ui/qt/data_grid_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/results_window.h"

namespace {

using namespace parvela;
using namespace parvela::qt;

// Answers the open-file dialog with one path; message boxes go to stderr.
class ScriptedPlatform : public QtPlatform {
 public:
  QString answer;
  std::function<void(DataGridWindow&)> onGrid;

 protected:
  std::optional<QString> runFileDialog(OpenFileDialog&) override { return answer; }
  void runDataGrid(DataGridWindow& grid) override {
    if (onGrid) onGrid(grid);
  }
  void showMessage(const QString& text, const QString& caption, IconKind) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
  }
};

void press(QtDialog& d, int id) {
  if (auto* b = d.controlAs<QAbstractButton>(id)) b->click();
  if (BackgroundWork* w = backgroundWorkOf(d)) w->waitUntilIdle();
  QApplication::processEvents();
}
void choose(QtDialog& d, int list, int entry) {
  if (auto* l = d.controlAs<QListWidget>(list)) l->setCurrentRow(entry - 1);
  QApplication::processEvents();
}
void type(QtDialog& d, int id, const QString& text) {
  if (auto* e = d.controlAs<QLineEdit>(id)) {
    e->setText(text);
    emit e->textEdited(text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s gauss|sor|grid DATAFILE OUTPUT.png\n", argv[0]);
    return 2;
  }
  const QString mode = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir dir;
  const QString data = dir.filePath(QFileInfo(QString::fromLocal8Bit(argv[2])).fileName());
  if (!QFile::copy(QString::fromLocal8Bit(argv[2]), data)) {
    std::fprintf(stderr, "cannot copy %s\n", argv[2]);
    return 1;
  }
  QDir::setCurrent(dir.path());

  ScriptedPlatform desktop;
  desktop.answer = data;
  setPlatform(&desktop);
  QtDialogHost dialogs;
  setDialogHost(&dialogs);
  if (!startMainWindow()) return 1;
  QtDialog& w = *MainDialog();
  ResultsWindow& r = *Results();

  if (mode == QLatin1String("grid")) {
    // A new problem: the matrix and the right-hand side pasted from a
    // spreadsheet whose decimal separator is a comma.
    desktop.answer = dir.filePath(QStringLiteral("proba.dat"));
    bool ok = false;
    desktop.onGrid = [&](DataGridWindow& g) {
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
    MainDialog().reset();
    setDialogHost(nullptr);
    setPlatform(nullptr);
    if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return ok ? 0 : 1;
  }
  press(w, kIdSelect);
  press(w, kIdRead);
  if (mode == QLatin1String("gauss")) {
    choose(w, kIdMethodList, 1);
    press(w, kIdDeterminant);
    press(w, kIdSolve);
  } else {
    choose(w, kIdMethodList, 5);
    r.convergencePlot()->setKeepRuns(true);
    type(w, kIdEps, QStringLiteral("0.00001"));
    type(w, kIdNlim, QStringLiteral("500"));
    type(w, kIdOmega, QStringLiteral("1.0"));
    press(w, kIdSolve);
    type(w, kIdOmega, QStringLiteral("1.5"));
    press(w, kIdSolve);
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
  MainDialog().reset();
  setDialogHost(nullptr);
  setPlatform(nullptr);
  if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[3]);
  return ok ? 0 : 1;
}
