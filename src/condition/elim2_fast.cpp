#include "condition/elim2_fast.h"

#include "direct/elim_fast.h"

namespace parvela {

KernelStatus elim2Fast(std::int32_t n, std::int32_t m, float* A, float* B, float eps,
                       std::int32_t& status) {
  status = 0;
  std::int32_t swaps = 0;
  const elimfast::Outcome o =
      elimfast::eliminate(n, m, A, B, eps, elimfast::Multipliers::Aside, swaps);
  if (o.failed) status = -1;
  return {o.failed, o.step, o.pivot};
}

}  // namespace parvela
