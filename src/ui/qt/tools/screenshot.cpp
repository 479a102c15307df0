// Renders the main window as it looks right after start-up into a PNG file
// (used by scripts/screenshot).
#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  parvela::qt::QtPlatform desktop;
  parvela::setPlatform(&desktop);
  parvela::qt::QtDialogHost dialogs;
  parvela::setDialogHost(&dialogs);
  if (!parvela::qt::startMainWindow()) return 1;
  QApplication::processEvents();
  const QPixmap shot = parvela::qt::MainDialog()->grab();
  const bool ok = shot.save(QString::fromLocal8Bit(argv[1]));
  parvela::qt::MainDialog().reset();
  parvela::setDialogHost(nullptr);
  parvela::setPlatform(nullptr);
  if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[1]);
  return ok ? 0 : 1;
}
