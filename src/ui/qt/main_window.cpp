#include "ui/qt/main_window.h"

#include <QApplication>
#include <QFileInfo>

#include "run/dispatcher.h"
#include "core/platform.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "ui/core/controls.h"
#include "ui/core/dialog_host.h"
#include "ui/core/file_selection.h"
#include "ui/qt/background_work.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/results_window.h"

namespace parvela::qt {

std::unique_ptr<QtDialog>& MainDialog() {
  static std::unique_ptr<QtDialog> dialog;
  return dialog;
}

QIcon& smallIcon() {
  static QIcon icon;
  return icon;
}

void PARVELASUB(Dialog& dialog, int /*controlId*/, int eventCode) {
  if (eventCode == kEventDestroy) {
    QCoreApplication::exit(0);  // ends the message loop
  } else if (eventCode == kEventInit) {
    if (auto* window = dynamic_cast<QtDialog*>(&dialog)) window->setWindowIcon(smallIcon());
  }
}

namespace {

// "REZOLVA !" with the results window told before and after, its recorder
// installed for the run's step events.
void solveWithResults(Dialog& dialog, int controlId, int eventCode) {
  ResultsWindow* results = Results();
  if (!results) {
    PARVELAAPPLY(&dialog, controlId, eventCode);
    return;
  }
  results->beginRun();
  RunResult run;
  {
    StepScope scope(&results->recorder());
    run = solveProblem(&dialog, controlId, eventCode);
  }
  results->endRun(run);
}

// The companion window with the outcome, the report and the plots, kept
// beside the main window and told of every read, run and changed choice.
void attachResults(QtDialog& dialog) {
  auto* results = new ResultsWindow(&dialog);
  setResults(results);
  BackgroundWork* work = backgroundWorkOf(dialog);
  if (work) {
    // Runs and reads go through the worker: the recorder hears every step
    // event there, the worker's signals frame each piece of work.
    work->setStepListener(&results->recorder());
    QObject::connect(work, &BackgroundWork::workStarted, results, [results](WorkKind kind) {
      results->stopAnalysis();  // "Citeste" and "REZOLVA !" stop an analysis still running
      if (kind == WorkKind::Run) results->beginRun();
    });
    QObject::connect(work, &BackgroundWork::workFinished, results, [results](const WorkResult& r) {
      if (r.kind == WorkKind::Run) {
        results->endRun(r.run);
      } else {
        results->afterRead(r.outcome == WorkOutcome::Completed && problem().dataRead);
      }
    });
  } else {
    dialog.DLG_SET_CALLBACK(kIdSolve, solveWithResults);
  }
  QObject::connect(&dialog, &QtDialog::controlFired, results, [results, work](int id) {
    switch (id) {
      case kIdSolve:
        break;
      case kIdRead:
        if (!work) results->afterRead(problem().dataRead);
        break;
      case kIdSelect:
        results->afterSelect();
        break;
      default:
        results->choicesChanged();
        break;
    }
  });
  results->follow();
  results->showBeside();
}

bool startFailure() {
  MainDialog().reset();
  platform().messageBox("Error initializing application Parvela", "Error", IconKind::None);
  return false;
}

}  // namespace

bool startMainWindow(int templateId) {
  smallIcon() = programIcon();
  QApplication::setWindowIcon(smallIcon());  // also for the boxes and the editor

  std::unique_ptr<QtDialog>& dialog = MainDialog();
  dialog = QtDialog::create(templateId);
  if (!dialog) return startFailure();

  dialog->DLG_SET_CALLBACK(templateId, PARVELASUB);
  registerMainCallbacks(*dialog);
  new BackgroundWork(*dialog);  // "Citeste" and "REZOLVA !" work off the window's thread

  if (!dialog->DLG_SHOW_MODELESS()) return startFailure();
  if (auto* host = dynamic_cast<QtDialogHost*>(&dialogHost())) host->setOwner(dialog.get());

  dialog->DLG_SET_TITLE("Parvela");
  INITIALIZEDATA();
  INITIALIZECONTROLS(*dialog);
  attachResults(*dialog);
  return true;
}

namespace {

// The platform in use, except that the open-file dialog answers with a
// given name instead of waiting for the user. The name still goes through
// the dialog's own acceptance (folder must exist, question before a new
// file is created).
class StartUpChoice final : public Platform {
 public:
  StartUpChoice(Platform& outer, const std::string& path) : outer_(outer), path_(path) {}
  void messageBox(std::string_view text, std::string_view caption, IconKind icon) override {
    outer_.messageBox(text, caption, icon);
  }
  void standardOutput(std::string_view text) override { outer_.standardOutput(text); }
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override {
    const QString absolute = QFileInfo(QString::fromStdString(path_)).absoluteFilePath();
    auto* desktop = dynamic_cast<QtPlatform*>(&outer_.forwardsTo());
    if (!desktop) return absolute.toStdString();
    OpenFileDialog dialog(request, *desktop);
    dialog.selectFile(absolute);
    dialog.accept();
    if (!dialog.chosenPath()) return std::nullopt;
    return dialog.chosenPath()->toStdString();
  }
  void viewFile(const std::string& path) override { outer_.viewFile(path); }
  std::optional<std::string> searchProgramPath(const std::string& name) override {
    return outer_.searchProgramPath(name);
  }

 private:
  Platform& outer_;
  std::string path_;
};

}  // namespace

void selectFileAtStartUp(const std::string& path) {
  QtDialog* dialog = MainDialog().get();
  if (!dialog) return;
  Platform& outer = platform();
  StartUpChoice choice(outer, path);
  setPlatform(&choice);
  SUB_SELECT(*dialog, kIdSelect, 0);
  setPlatform(&outer);
}

int WinMain(const std::optional<std::string>& startFile) {
  if (!startMainWindow()) return 0;
  if (startFile) selectFileAtStartUp(*startFile);
  // Keyboard navigation inside the window is Qt's own; every event reaches
  // the window before anything else, as with a dialog's message loop.
  const int exitCode = QApplication::exec();
  MainDialog().reset();
  return exitCode;
}

}  // namespace parvela::qt
