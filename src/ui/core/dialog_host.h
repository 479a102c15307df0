// Creating and showing dialogs from templates, for the modal help and
// about boxes. The window installs a host that builds real dialogs; until
// one is installed a model host answers (dialogs are recorded, then closed
// at once).
#pragma once

#include <memory>

#include "ui/core/dialog.h"

namespace parvela {

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Builds the dialog of a template; nullptr when it cannot.
  virtual std::unique_ptr<Dialog> DLG_INIT(int templateId) = 0;
  // Shows the dialog and returns when it has been closed.
  virtual void DLG_SHOW_MODAL(Dialog& dialog) = 0;
};

DialogHost& dialogHost();
void setDialogHost(DialogHost* host);  // nullptr restores the model host

}  // namespace parvela
