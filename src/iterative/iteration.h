// Gauss-Seidel and SOR, one driver for both.
#pragma once

#include "core/run_result.h"

namespace parvela {

MethodOutcome GAUSS_SEIDEL();
MethodOutcome SOR();

}  // namespace parvela
