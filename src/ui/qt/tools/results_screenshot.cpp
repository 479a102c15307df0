// Renders the main window and its results window after a scripted session
// into one PNG file (used by scripts/screenshot):
//   gauss DATAFILE OUT.png  - Gauss with the determinant: the report view
//   sor DATAFILE OUT.png    - two SOR runs (omega 1.0 and 1.5), curves overlaid
//   steps DATAFILE OUT.png [PAGE [METHOD]] - the step view at PAGE after a run of
//                             METHOD (1..5 of the list, default Gauss; cond1..cond4 the
//                             condition number with that norm), results window only
//   exact DATAFILE OUT.png [PAGE] - Gauss on the generated Hilbert matrix, the step
//                             view with the exact values beside (results window only)
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

#include <cstdio>
#include <cstdlib>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/core/templates.h"
#include "ui/qt/background_work.h"
#include "ui/qt/convergence_plot.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/results_window.h"
#include "ui/qt/step_view.h"

namespace {

using namespace parvela;
using namespace parvela::qt;

// Answers the open-file dialog with one path; message boxes go to stderr.
class ScriptedPlatform : public QtPlatform {
 public:
  QString answer;

 protected:
  std::optional<QString> runFileDialog(OpenFileDialog&) override { return answer; }
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
    e->setCursorPosition(0);  // as the box shows it once the user moves on
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s gauss|sor DATAFILE OUTPUT.png\n", argv[0]);
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

  const bool stepsOnly = mode == QLatin1String("steps") || mode == QLatin1String("exact");
  const QString method = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QStringLiteral("1");
  if (stepsOnly && !method.startsWith(QLatin1String("cond"))) choose(w, kIdMethodList, method.toInt());
  if (mode == QLatin1String("exact")) {
    press(w, kIdGenerated);
    choose(w, kIdGeneratorList, 1);
  }
  press(w, kIdSelect);
  press(w, kIdRead);
  if (stepsOnly) {
    if (method.startsWith(QLatin1String("cond"))) {
      press(w, kIdConditionNumber);
      press(w, kIdRead);
      choose(w, kIdNormList, method.mid(4).toInt());
    } else {
      type(w, kIdEps, QStringLiteral("0.00001"));
      type(w, kIdNlim, QStringLiteral("200"));
      type(w, kIdOmega, QStringLiteral("1.2"));
    }
    press(w, kIdSolve);
    r.tabs()->setCurrentWidget(r.stepView());
    if (mode == QLatin1String("exact")) r.stepView()->setExact(true);
    r.stepView()->setPage(argc > 4 ? std::size_t(std::atoi(argv[4])) : 1);
  } else if (mode == QLatin1String("gauss")) {
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

  if (stepsOnly) {
    const bool ok = r.grab().save(QString::fromLocal8Bit(argv[3]));
    MainDialog().reset();
    setDialogHost(nullptr);
    setPlatform(nullptr);
    return ok ? 0 : 1;
  }
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
