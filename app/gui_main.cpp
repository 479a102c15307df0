// The Parvela window.
#include <QApplication>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Parvela"));
  QApplication::setDesktopFileName(QStringLiteral("parvela"));
  // Closing the main window ends the program (its own callback ends the
  // loop); an editor or box left alone does not.
  QApplication::setQuitOnLastWindowClosed(false);

  parvela::qt::QtPlatform desktop;
  parvela::setPlatform(&desktop);
  parvela::qt::QtDialogHost dialogs;
  parvela::setDialogHost(&dialogs);

  const int exitCode = parvela::qt::WinMain();

  parvela::setDialogHost(nullptr);
  parvela::setPlatform(nullptr);
  return exitCode;
}
