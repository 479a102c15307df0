// Stand-in for the dispatcher, which this branch does not have yet. Weak,
// so that the real one wins as soon as it is linked in. To be removed when
// the dispatcher is merged.
#include "core/dispatcher.h"

namespace parvela {

__attribute__((weak)) void PARVELAAPPLY(Dialog*, int, int) {}

}  // namespace parvela
