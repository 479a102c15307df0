// A session of the window driven by a script, for the screenshot tools: the
// data file copied into a scratch folder, the open-file dialog answered with
// it, message boxes on standard error, and the clicks and typing a user
// makes, each waiting for the work it starts.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/qt/analysis_view.h"
#include "ui/qt/analysis_work.h"
#include "ui/qt/background_work.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/results_window.h"

namespace parvela::qt::tools {

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

class ScriptedSession {
 public:
  // Copies `dataFile` into the scratch folder, makes it the current folder
  // and starts the main window; false (after a line on stderr) when it cannot.
  bool start(const char* dataFile) {
    const QString data = dir_.filePath(QFileInfo(QString::fromLocal8Bit(dataFile)).fileName());
    if (!QFile::copy(QString::fromLocal8Bit(dataFile), data)) {
      std::fprintf(stderr, "cannot copy %s\n", dataFile);
      return false;
    }
    QDir::setCurrent(dir_.path());
    desktop_.answer = data;
    setPlatform(&desktop_);
    setDialogHost(&dialogs_);
    return startMainWindow();
  }
  ~ScriptedSession() {
    MainDialog().reset();
    setDialogHost(nullptr);
    setPlatform(nullptr);
  }

  QtDialog& window() { return *MainDialog(); }
  ResultsWindow& results() { return *Results(); }

  // Until the run or read, and any analysis after it, has ended.
  void settle() {
    if (BackgroundWork* w = backgroundWorkOf(window())) w->waitUntilIdle();
    if (ResultsWindow* r = Results()) r->analysisView()->work().waitUntilIdle();
    for (int k = 0; k < 5; ++k) QApplication::processEvents();
  }
  void press(int id) {
    if (auto* b = window().controlAs<QAbstractButton>(id)) b->click();
    settle();
  }
  void choose(int list, int entry) {
    if (auto* l = window().controlAs<QListWidget>(list)) l->setCurrentRow(entry - 1);
    QApplication::processEvents();
  }
  void type(int id, const QString& text) {
    if (auto* e = window().controlAs<QLineEdit>(id)) {
      e->setText(text);
      emit e->textEdited(text);
      e->setCursorPosition(0);  // as the box shows it once the user moves on
    }
  }

 private:
  QTemporaryDir dir_;
  ScriptedPlatform desktop_;
  QtDialogHost dialogs_;
};

}  // namespace parvela::qt::tools
