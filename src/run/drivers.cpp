#include "run/drivers.h"

#include <array>

#include "condition/condition_number.h"
#include "core/methods.h"
#include "core/problem_state.h"
#include "direct/cholesky.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "iterative/iteration.h"

namespace parvela {

namespace {

// One driver per row of kMethods, in the same order.
constexpr std::array<MethodDriver, kMethods.size()> kDrivers = {
    &GAUSS, &LU, &CHOLESKY_S, &GAUSS_SEIDEL, &SOR,
};
static_assert(kDrivers.size() == kMethods.size(), "every method needs its driver");

}  // namespace

MethodDriver driverFor(std::int32_t methodIndex) {
  if (!methodInfo(methodIndex)) return nullptr;
  return kDrivers[static_cast<std::size_t>(methodIndex - 1)];
}

MethodOutcome runChosenDriver() {
  const ProblemState& s = problem();
  if (s.problemKind == ProblemKind::ConditionNumber) return NUMAR_CONDITIE();
  if (MethodDriver driver = driverFor(s.methodIndex)) return driver();
  return {};
}

}  // namespace parvela
