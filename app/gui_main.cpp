// The Parvela window.
//   parvela [--help | --version] [FILE]
#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#include "core/platform.h"
#include "ui/core/dialog_host.h"
#include "ui/core/window_arguments.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/translations.h"

#ifndef PARVELA_VERSION
#define PARVELA_VERSION "unknown"
#endif

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) {
  std::vector<std::string> args;
  for (int k = 1; k < argc; ++k) args.emplace_back(argv[k]);
  return args;
}

// --help and --version are answered before Qt starts, so that they work
// without a display. A nonzero status for output that could not be written.
int printed(const std::string& text) {
  std::cout << text;
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  using parvela::WindowArguments;
  // Qt's own options are still on the line here; an unknown option is
  // judged only once Qt has taken its own away.
  const WindowArguments early = parvela::parseWindowArguments(argumentsOf(argc, argv));
  if (early.action == WindowArguments::Action::Help) return printed(parvela::kWindowHelp);
  if (early.action == WindowArguments::Action::Version) return printed(parvela::windowVersionText(PARVELA_VERSION));

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Parvela"));
  QApplication::setApplicationVersion(QStringLiteral(PARVELA_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("parvela"));
  // Closing the main window ends the program (its own callback ends the
  // loop); an editor or box left alone does not.
  QApplication::setQuitOnLastWindowClosed(false);

  const WindowArguments args = parvela::parseWindowArguments(argumentsOf(argc, argv));
  if (args.action == WindowArguments::Action::Error) {
    std::cerr << "parvela: " << args.error << "\n"
              << parvela::kWindowUsageLine << "Try 'parvela --help' for more information.\n";
    return 2;
  }

  // Qt's file dialog and standard buttons in Romanian, like the window.
  parvela::qt::StandardDialogTranslations translations;

  parvela::qt::QtPlatform desktop;
  parvela::setPlatform(&desktop);
  parvela::qt::QtDialogHost dialogs;
  parvela::setDialogHost(&dialogs);

  const int exitCode = parvela::qt::WinMain(args.file);

  parvela::setDialogHost(nullptr);
  parvela::setPlatform(nullptr);
  return exitCode;
}
