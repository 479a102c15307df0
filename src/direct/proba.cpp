// Residual check of computed solutions: A*x_k - b_k for every solution.
#include "direct/proba.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/steps.h"
#include "direct/proba_fast.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

std::int32_t IMAXV(std::int32_t n, const float* V) {
  // A residual that is not a number outranks every other: the first one is
  // reported, never hidden behind the largest of the rest.
  for (std::int32_t i = 0; i < n; ++i) {
    if (std::isnan(V[i])) return i + 1;
  }
  float m = -std::numeric_limits<float>::infinity();
  for (std::int32_t i = 0; i < n; ++i) {
    if (m < std::fabs(V[i])) m = std::fabs(V[i]);
  }
  for (std::int32_t i = 0; i < n; ++i) {
    if (std::fabs(V[i]) == m) return i + 1;
  }
  return 0;
}

void PROBA_RESIDUALS(std::int32_t n, std::int32_t nb, const float* A, const float* B,
                     const float* X, float* DIF) {
  if (n <= 0 || nb <= 0) return;
  const std::size_t rows = static_cast<std::size_t>(n);
  const std::size_t cols = static_cast<std::size_t>(nb);
  // DIF = A*X - B, each element summed over j ascending from zero.
  std::fill(DIF, DIF + rows * cols, 0.0f);
  for (std::size_t j = 0; j < rows; ++j) {
    const float* a = A + j * rows;
    for (std::size_t k = 0; k < cols; ++k) {
      const float x = X[k * rows + j];
      float* t = DIF + k * rows;
      for (std::size_t i = 0; i < rows; ++i) t[i] = t[i] + a[i] * x;
    }
  }
  for (std::size_t p = 0; p < rows * cols; ++p) DIF[p] = DIF[p] - B[p];
}

void PROBA(std::int32_t n, std::int32_t nb, const float* A, const float* B, const float* X,
           bool isSystem, bool eachEquation) {
  if (n <= 0 || nb <= 0) return;
  const std::size_t rows = static_cast<std::size_t>(n);
  const std::size_t cols = static_cast<std::size_t>(nb);

  std::vector<float> DIF(rows * cols);
  // Small systems take the straightforward residuals; the fast ones give
  // the same bits.
  if (useStepKernels(n))
    PROBA_RESIDUALS(n, nb, A, B, X, DIF.data());
  else
    probaResiduals(n, nb, A, B, X, DIF.data());

  checkpoint(Stage::Verification, n, n);
  const std::string label = isSystem ? "(A*x_k -b_k)" : "(A*x_k -e_k)";
  TextUnit& out = ReportFile();
  out.write("(//,a)", {" * Proba"});
  if (eachEquation) {
    out.write("(/,a)", {" Diferente " + label});
  } else {
    out.write("(/,a)", {" Diferenta " + label + ", maxima in modul"});
  }
  if (isSystem) {
    out.write("(a)", {" (b_k = termenul liber nr. 'k')"});
  } else {
    out.write("(a)", {" (e_k = coloana 'k' a matricii unitate)"});
  }

  const std::int32_t wn = WIDTH(n);
  const std::string residualFormat = fillWidths("(I<>,T<>,1pG15.7)", {wn + 1, wn + 4});
  for (std::int32_t k = 1; k <= nb; ++k) {
    checkpoint(Stage::ReportAssembly, k, nb, std::numeric_limits<double>::quiet_NaN(), 3);
    const float* DIF1 = DIF.data() + static_cast<std::size_t>(k - 1) * rows;
    out.write(fillWidths("(/,a,I<>,a)", {WIDTH(k)}),
              {isSystem ? " Solutia nr. " : " Coloana nr. ", k, ":"});
    if (eachEquation) {
      for (std::int32_t i = 1; i <= n; ++i) out.write(residualFormat, {i, DIF1[i - 1]});
      out.write("(/, a, \\)", {" Diferenta maxima in modul:"});
    }
    std::int32_t r = IMAXV(n, DIF1);
    if (r <= 0) r = 1;
    const float d = DIF1[r - 1];
    out.write(fillWidths("(1pG15.7, a, I<>)", {WIDTH(r) + 1}), {d, "; ecuatia", r});
  }
}

}  // namespace parvela
