// Used only while the solve dispatcher is not part of the core library
// (the build leaves this file out as soon as a core source defines
// PARVELAAPPLY): "REZOLVA !" then does nothing.
#include "core/dispatcher.h"

namespace parvela {

bool READ_EPSNLIMOMEGA(Dialog*, int, int) { return true; }
void PARVELAAPPLY(Dialog*, int, int) {}

}  // namespace parvela
