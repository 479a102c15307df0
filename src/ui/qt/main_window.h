// The program's main window: start-up, the window's own callback and the
// message loop.
#pragma once

#include <QIcon>

#include <memory>
#include <optional>
#include <string>

#include "ui/core/dialog.h"
#include "ui/core/templates.h"

namespace parvela::qt {

class QtDialog;

// The main window (template 101) while the program runs.
std::unique_ptr<QtDialog>& MainDialog();
// The window's small icon (icon resource 102).
QIcon& smallIcon();

// The main window's own callback: the icon when the window is created, the
// end of the message loop when it is destroyed.
void PARVELASUB(Dialog& dialog, int controlId, int eventCode);

// Start-up up to the message loop: icon, window from the template,
// callbacks, showing, caption, problem defaults, controls. False, after the
// start-up failure box, when the window cannot be made (the template id is
// a parameter only so that this path can be exercised).
bool startMainWindow(int templateId = kMainDialog);

// Selects the file named on the command line as "Selecteaza" does when the
// user picks that name in the file dialog (relative to the current folder):
// the same checks and questions, the path shown, "Citeste" and "Deschide"
// enabled. Nothing is read until "Citeste".
void selectFileAtStartUp(const std::string& path);

// The whole program: start-up, the file of the command line if there is
// one, message loop until the window is closed, release. The exit code (0).
int WinMain(const std::optional<std::string>& startFile = std::nullopt);

}  // namespace parvela::qt
