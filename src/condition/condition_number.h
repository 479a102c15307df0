// The condition-number driver.
#pragma once

namespace parvela {

void NUMAR_CONDITIE();

}  // namespace parvela
