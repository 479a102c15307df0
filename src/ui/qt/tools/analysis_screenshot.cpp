// Renders the results window's "Analiza" tab after a scripted session into
// a PNG file (used by scripts/screenshot --analysis):
//   errors DATAFILE OUT.png      - LU on a generated Hilbert matrix: the errors
//   omega DATAFILE OUT.png       - SOR on a generated band matrix, "Cauta omega"
//   experiment DATAFILE OUT.png  - LU over n = 2..12 with the generator of the file
//   plane DATAFILE OUT.png       - Gauss-Seidel on two equations: the zig-zag
// The data file is copied to a scratch folder first; the session clicks the
// window's own controls.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/core/templates.h"
#include "ui/qt/analysis_view.h"
#include "ui/qt/analysis_work.h"
#include "ui/qt/background_work.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/results_window.h"

namespace {

using namespace parvela;
using namespace parvela::qt;

class ScriptedPlatform : public QtPlatform {
 public:
  QString answer;

 protected:
  std::optional<QString> runFileDialog(OpenFileDialog&) override { return answer; }
  void showMessage(const QString& text, const QString& caption, IconKind) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
  }
};

void settle(QtDialog& d) {
  if (BackgroundWork* w = backgroundWorkOf(d)) w->waitUntilIdle();
  if (ResultsWindow* r = Results()) r->analysisView()->work().waitUntilIdle();
  for (int k = 0; k < 5; ++k) QApplication::processEvents();
}
void press(QtDialog& d, int id) {
  if (auto* b = d.controlAs<QAbstractButton>(id)) b->click();
  settle(d);
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
    std::fprintf(stderr, "usage: %s errors|omega|experiment|plane DATAFILE OUTPUT.png\n", argv[0]);
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
  AnalysisView& view = *r.analysisView();
  r.resize(820, 760);

  press(w, kIdSelect);
  int page = AnalysisView::kErrorsPage;
  if (mode == QLatin1String("plane")) {
    press(w, kIdRead);
    choose(w, kIdMethodList, 4);
    type(w, kIdEps, QStringLiteral("0.0001"));
    type(w, kIdNlim, QStringLiteral("100"));
    press(w, kIdSolve);
    page = AnalysisView::kPlanePage;
  } else {
    press(w, kIdGenerated);
    choose(w, kIdGeneratorList, mode == QLatin1String("omega") ? 7 : 1);
    press(w, kIdRead);
    if (mode == QLatin1String("omega")) {
      choose(w, kIdMethodList, 5);
      type(w, kIdEps, QStringLiteral("0.00001"));
      type(w, kIdNlim, QStringLiteral("2000"));
      type(w, kIdOmega, QStringLiteral("1.5"));
      press(w, kIdSolve);
      view.scanButton()->click();
      settle(w);
      page = AnalysisView::kConvergencePage;
    } else {
      choose(w, kIdMethodList, 2);
      press(w, kIdSolve);
      if (mode == QLatin1String("experiment")) {
        view.limitBox()->setValue(12);
        view.experimentButton()->click();
        settle(w);
        page = AnalysisView::kExperimentPage;
      }
    }
  }
  r.tabs()->setCurrentWidget(&view);
  view.pages()->setCurrentIndex(page);
  for (int k = 0; k < 5; ++k) QApplication::processEvents();
  const bool ok = r.grab().save(QString::fromLocal8Bit(argv[3]));
  MainDialog().reset();
  setDialogHost(nullptr);
  setPlatform(nullptr);
  if (!ok) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
