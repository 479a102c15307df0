#include "ui/qt/qt_dialog_host.h"

#include <QApplication>

#include "ui/qt/qt_dialog.h"

namespace parvela::qt {

std::unique_ptr<Dialog> QtDialogHost::DLG_INIT(int templateId) {
  QWidget* owner = owner_ ? owner_.data() : QApplication::activeWindow();
  return QtDialog::create(templateId, owner);
}

void QtDialogHost::DLG_SHOW_MODAL(Dialog& dialog) {
  if (auto* d = dynamic_cast<QtDialog*>(&dialog)) runModal(*d);
}

void QtDialogHost::runModal(QtDialog& dialog) { dialog.DLG_SHOW_MODAL(); }

}  // namespace parvela::qt
