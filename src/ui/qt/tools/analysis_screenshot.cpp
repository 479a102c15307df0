// Renders the results window's "Analiza" tab after a scripted session into
// a PNG file (used by scripts/screenshot --analysis):
//   errors DATAFILE OUT.png      - LU on a generated Hilbert matrix: the errors
//   omega DATAFILE OUT.png       - SOR on a generated band matrix, "Cauta omega"
//   experiment DATAFILE OUT.png  - LU over n = 2..12 with the generator of the file
//   plane DATAFILE OUT.png       - Gauss-Seidel on two equations: the zig-zag
// The data file is copied to a scratch folder first; the session clicks the
// window's own controls.
#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <cstdio>

#include "ui/core/templates.h"
#include "ui/qt/analysis_view.h"
#include "ui/qt/results_window.h"
#include "ui/qt/tools/scripted_session.h"

using namespace parvela;
using namespace parvela::qt;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s errors|omega|experiment|plane DATAFILE OUTPUT.png\n", argv[0]);
    return 2;
  }
  const QString mode = QString::fromLocal8Bit(argv[1]);
  tools::ScriptedSession session;
  if (!session.start(argv[2])) return 1;
  ResultsWindow& r = session.results();
  AnalysisView& view = *r.analysisView();
  r.resize(820, 760);

  session.press(kIdSelect);
  int page = AnalysisView::kErrorsPage;
  if (mode == QLatin1String("plane")) {
    session.press(kIdRead);
    session.choose(kIdMethodList, 4);
    session.type(kIdEps, QStringLiteral("0.0001"));
    session.type(kIdNlim, QStringLiteral("100"));
    session.press(kIdSolve);
    page = AnalysisView::kPlanePage;
  } else {
    session.press(kIdGenerated);
    session.choose(kIdGeneratorList, mode == QLatin1String("omega") ? 7 : 1);
    session.press(kIdRead);
    if (mode == QLatin1String("omega")) {
      session.choose(kIdMethodList, 5);
      session.type(kIdEps, QStringLiteral("0.00001"));
      session.type(kIdNlim, QStringLiteral("2000"));
      session.type(kIdOmega, QStringLiteral("1.5"));
      session.press(kIdSolve);
      view.scanButton()->click();
      session.settle();
      page = AnalysisView::kConvergencePage;
    } else {
      session.choose(kIdMethodList, 2);
      session.press(kIdSolve);
      if (mode == QLatin1String("experiment")) {
        view.limitBox()->setValue(12);
        view.experimentButton()->click();
        session.settle();
        page = AnalysisView::kExperimentPage;
      }
    }
  }
  r.tabs()->setCurrentWidget(&view);
  view.pages()->setCurrentIndex(page);
  for (int k = 0; k < 5; ++k) QApplication::processEvents();
  const bool ok = r.grab().save(QString::fromLocal8Bit(argv[3]));
  if (!ok) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
