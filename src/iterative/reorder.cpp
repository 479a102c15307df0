// Row reordering before iteration: every diagonal element must be usable as
// a divisor. Rows are exchanged in A and B together, so the system iterated
// is the same system with some equations moved.
#include "iterative/reorder.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "core/steps.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

namespace {

// Element (i, j) of a column-major array with `rows` rows, 1-based.
inline float& at(float* p, std::int32_t rows, std::int32_t i, std::int32_t j) {
  return p[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(rows) + (i - 1)];
}

// Below this magnitude a diagonal element is not used as a divisor.
constexpr float kPrag = 1.0e-6f;

}  // namespace

float NORM(const float* v, std::int32_t n) {
  if (n <= 0) return -std::numeric_limits<float>::max();
  // The scan starts from |v(1)| and moves only to a strictly larger value.
  // A NaN anywhere makes the result NaN, so that an iterate that has gone
  // bad can never pass for a small difference.
  float m = std::fabs(v[0]);
  if (std::isnan(m)) return m;
  for (std::int32_t i = 1; i < n; ++i) {
    const float a = std::fabs(v[i]);
    if (std::isnan(a)) return a;
    if (a > m) m = a;
  }
  return m;
}

KernelStatus PIVOTARE(std::int32_t n, std::int32_t nb, float* A, float* B, float prag, std::int32_t r,
                      std::int32_t& count, std::int32_t& status) {
  status = 0;
  std::int32_t p = r;
  float piv = at(A, n, r, r);
  for (std::int32_t i = r + 1; i <= n; ++i) {
    const float v = at(A, n, i, r);
    if (std::fabs(v) > std::fabs(piv)) {
      p = i;
      piv = v;
    }
  }
  if (prag > std::fabs(piv)) {
    status = -1;
    return {true, r, piv};
  }
  if (p != r) {
    for (std::int32_t j = 1; j <= n; ++j) std::swap(at(A, n, r, j), at(A, n, p, j));
    for (std::int32_t k = 1; k <= nb; ++k) std::swap(at(B, n, r, k), at(B, n, p, k));
    ++count;
  }
  return {false, p, piv};
}

Reordering reorderRows(std::int32_t n, std::int32_t nb, float* A, float* B) {
  Reordering result;
  std::int32_t count = 0;
  StepListener* const listener = stepListener();
  std::vector<float> candidates;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (std::fabs(at(A, n, i, i)) < kPrag) {
      if (listener) {
        candidates.clear();
        for (std::int32_t r = i; r <= n; ++r) candidates.push_back(at(A, n, r, i));
      }
      std::int32_t status = 0;
      const std::int32_t before = count;
      const KernelStatus st = PIVOTARE(n, nb, A, B, kPrag, i, count, status);
      if (listener) {
        const std::size_t N = static_cast<std::size_t>(n);
        StepEvent e;
        e.kind = StepKind::Reorder;
        e.detail = useStepKernels(n) ? StepDetail::Full : StepDetail::Summary;
        e.n = n;
        e.step = i;
        e.candidates = candidates;
        e.pivotRow = st.step;
        e.pivot = st.value;
        e.threshold = kPrag;
        e.interchanged = count != before;
        e.interchanges = count;
        if (e.detail == StepDetail::Full) {
          e.A = {{A, N * N}, n, n};
          e.B = {{B, N * static_cast<std::size_t>(nb)}, n, nb};
        }
        listener->step(e);
      }
      if (status < 0) {
        writePivotLine(i, st.value);
        ReportFile().print({"Pivot < prag, linia:", i});
        StdOut().print({"Pivot < prag, linia:", i});
        result.breakdown = Breakdown{BreakdownKind::DiagonalUnusable, i, st.value, kPrag};
        publishBreakdown(n, i, st.value, kPrag);
        result.exchanges = count;
        return result;
      }
    }
  }
  ReportFile().write(fillWidths("(/,a,I<>)", {WIDTH(n)}),
                     {"Numar de schimbari de linii: ", count});
  result.exchanges = count;
  return result;
}

}  // namespace parvela
