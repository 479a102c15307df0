// The condition-number driver.
#pragma once

#include "core/run_result.h"

namespace parvela {

MethodOutcome NUMAR_CONDITIE();

}  // namespace parvela
