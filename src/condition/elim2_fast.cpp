#include "condition/elim2_fast.h"

#include "direct/elim_fast.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

void elim2Fast(std::int32_t n, std::int32_t m, float* A, float* B, float eps,
               std::int32_t& status) {
  status = 0;
  std::int32_t swaps = 0;
  const elimfast::Outcome o =
      elimfast::eliminate(n, m, A, B, eps, elimfast::Multipliers::Aside, swaps);
  if (o.failed) {
    // " Linia k: Pivot = <value>  <eps>" after an empty line.
    ReportFile().write(fillWidths("(/, a, I<>, a, 1p, g15.7, a, 1p, g11.3)", {WIDTH(o.step)}),
                       {" Linia ", o.step, ": Pivot =", o.pivot, " <", eps});
    status = -1;
  }
}

}  // namespace parvela
