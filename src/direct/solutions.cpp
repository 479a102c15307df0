#include "direct/solutions.h"

#include <cstddef>
#include <limits>
#include <string>

#include "core/progress.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

void writeSolutions(std::int32_t n, std::int32_t nb, const float* X, bool isSystem) {
  TextUnit& out = ReportFile();
  if (isSystem) {
    out.write("(a)");
  } else {
    out.write("(/,a)", {"Matricea Inversa"});
  }
  const std::string headFormat = fillWidths("(/,a,I<>)", {WIDTH(nb)});
  for (std::int32_t k = 1; k <= nb; ++k) {
    checkpoint(Stage::ReportAssembly, k, nb, std::numeric_limits<double>::quiet_NaN(), 2);
    out.write(headFormat, {isSystem ? " * Solutia pentru termenii liberi nr. " : " * Coloana ", k});
    const float* x = X + static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(n);
    for (std::int32_t i = 1; i <= n; ++i) {
      out.write(fillWidths("(a,I<>,a,G15.7)", {WIDTH(i)}), {" x(", i, ") = ", x[i - 1]});
    }
  }
}

}  // namespace parvela
