// The driver of every method of the "Metoda" list, and of the condition
// number.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

using MethodDriver = MethodOutcome (*)();

// The driver of a row of kMethods (1-based); nullptr outside the table.
MethodDriver driverFor(std::int32_t methodIndex);

// The driver of the problem chosen in the calling thread's problem state
// (the condition number, or the chosen method), run on that state. Nothing
// runs when no method is chosen.
MethodOutcome runChosenDriver();

}  // namespace parvela
