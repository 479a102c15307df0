// Builds and shows the modal help and about boxes as Qt dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/core/dialog_host.h"

namespace parvela::qt {

class QtDialog;

class QtDialogHost : public DialogHost {
 public:
  // Dialogs are placed relative to the owner (the main window).
  void setOwner(QWidget* owner) { owner_ = owner; }

  std::unique_ptr<Dialog> DLG_INIT(int templateId) override;
  void DLG_SHOW_MODAL(Dialog& dialog) override;

 protected:
  // Shows the dialog and waits until it has been closed.
  virtual void runModal(QtDialog& dialog);

 private:
  QPointer<QWidget> owner_;
};

}  // namespace parvela::qt
