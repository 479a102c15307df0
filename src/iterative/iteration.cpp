// The Gauss-Seidel and SOR drivers. Both share everything but the scaling of
// the system (SOR only) and the update of one component in a sweep.
#include "iterative/iteration.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/problem_state.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/proba.h"
#include "io/fortran_io.h"
#include "io/report.h"
#include "iterative/reorder.h"
#include "iterative/sweeps.h"
#include "iterative/sweeps_fast.h"

namespace parvela {

namespace {

enum class Method { GaussSeidel, Sor };

// Verdicts and their texts (the texts are kept without trailing blanks).
constexpr std::int32_t kStationary = -2;
constexpr std::int32_t kDivergence = -1;
constexpr std::int32_t kTolerance = 0;
constexpr std::int32_t kLimit = 1;

std::string_view TEXT(std::int32_t verdict) {
  switch (verdict) {
    case kStationary: return " Iteratie stationara";
    case kDivergence: return " Divergenta";
    case kTolerance: return " Toleranta atinsa.";
    default: return " Numar de iteratii depasit.";
  }
}

Verdict verdictOf(std::int32_t verdict) {
  switch (verdict) {
    case kStationary: return Verdict::Stationary;
    case kDivergence: return Verdict::Divergence;
    case kTolerance: return Verdict::Tolerance;
    default: return Verdict::Limit;
  }
}

// Difference the first sweep is compared with.
constexpr float kFirstReference = 1.0e10f;

// Writes `count` values (followed by `extra` when withExtra) in the G15.7
// layout, `perLine` to a line. The first line is led by the `lead` items,
// written by `leadFormat` (which ends by tabbing to the first value's
// column); the following lines start at column 1. `items` is scratch space.
void writeTraceRows(std::string_view leadFormat, std::initializer_list<FItem> lead,
                    const float* values, std::int32_t count, float extra, bool withExtra,
                    std::int32_t perLine, std::vector<FItem>& items) {
  const std::int32_t total = count + (withExtra ? 1 : 0);
  std::int32_t done = 0;
  bool first = true;
  do {
    const std::int32_t onLine = std::min(perLine, total - done);
    items.clear();
    std::string format = "(";
    if (first) {
      items.insert(items.end(), lead.begin(), lead.end());
      format += leadFormat;
      format += ',';
    }
    format += std::to_string(onLine);
    format += "G15.7)";
    for (std::int32_t c = 0; c < onLine; ++c, ++done)
      items.emplace_back(done < count ? values[done] : extra);
    ReportFile().write(format, std::span<const FItem>(items.data(), items.size()));
    first = false;
  } while (done < total);
}

MethodOutcome runIteration(Method method) {
  MethodOutcome result;
  ProblemState& s = problem();
  const std::int32_t n = s.n;
  const std::int32_t nb = s.nb;
  const std::int32_t nlim = s.nlim;
  // Nothing to iterate (the run is refused before it gets here): no sweep
  // would run, and no difference could be reported.
  if (n < 1 || nb < 0 || nlim < 1) return result;
  const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::size_t nnb = static_cast<std::size_t>(n) * static_cast<std::size_t>(nb);
  if (s.A.size() < nn || s.B.size() < nnb) return result;

  // Memory refused here reaches the dispatcher, which writes nothing.
  std::vector<float> B1(static_cast<std::size_t>(n)), D(static_cast<std::size_t>(n));
  std::vector<float> X0(static_cast<std::size_t>(n)), X1(static_cast<std::size_t>(n)), X(nnb);

  float* A = s.A.data();
  float* B = s.B.data();
  const bool isSystem = s.problemKind == ProblemKind::System;
  const bool eachEquation = s.verifyMode == VerifyMode::EachEquation;
  const bool trace = s.printIterations;
  const float eps = s.eps;

  if (s.printMatrix) PRINTA(n, nb, A, B, isSystem);
  const Reordering reordering = reorderRows(n, nb, A, B);
  result.interchanges = reordering.exchanges;
  if (reordering.breakdown) {
    result.breakdown = reordering.breakdown;
    return result;
  }

  if (method == Method::Sor) {
    scaleToUnitDiagonal(n, nb, A, B);
    if (s.printMatrix) {
      ReportFile().write("(/,a)", {"Matricea A - scalata"});
      printRows(n, n, A, false);
      ReportFile().write("(/,a)", {"Termenii liberi b - scalati"});
      printRows(n, nb, B, false);
    }
  }

  // Trace layout: m values to a line (m + 1 on sweep lines, which end with
  // dif), the sweep number right-aligned in WIDTH(n+1) + 2 columns, values
  // from column 6. From n = 999 on the number field reaches column 6; the
  // values then start right after it instead of overwriting its last digit.
  const std::int32_t m = std::min(n, 8);
  const std::int32_t sweepField = WIDTH(n + 1) + 2;
  const std::int32_t valueColumn = std::max(6, sweepField + 1);
  const std::string headFormat = fillWidths("(/,a,T<>,a)", {15 * m + 6});
  const std::string zeroFormat = fillWidths("a,T<>", {valueColumn});
  const std::string sweepFormat = fillWidths("I<>,T<>", {sweepField, valueColumn});
  std::vector<FItem> items;
  if (trace) items.reserve(static_cast<std::size_t>(m) + 3);

  // Small systems take the straightforward sweeps, which a step listener
  // sees in full; the fast ones give the same bits.
  const bool stepKernels = useStepKernels(n);
  StepListener* const listener = stepListener();
  StepEvent ev;
  ev.kind = StepKind::Sweep;
  ev.detail = stepKernels ? StepDetail::Full : StepDetail::Summary;
  ev.n = n;
  ev.x = {X1.data(), X1.size()};
  if (stepKernels) {
    ev.systemA = {{A, nn}, n, n};
    ev.systemB = {B1.data(), B1.size()};
  }

  std::int32_t verdict = kLimit;
  for (std::int32_t k = 1; k <= nb; ++k) {
    std::copy_n(B + static_cast<std::size_t>(k - 1) * n, n, B1.begin());
    std::fill(X0.begin(), X0.end(), 0.0f);

    if (trace) {
      ReportFile().write(headFormat,
                         {" Iter\tx", "max|x - x_ant|"});
      writeTraceRows(zeroFormat, {"  0"}, X0.data(), n, 0.0f, false, m, items);
    }

    float dif = 0.0f;
    float difAnt = kFirstReference;
    std::int32_t ndiv = 0;
    std::int32_t it = 0;
    bool stopped = false;
    // The counter is wider than nlim so that nlim = 2147483647 ends.
    for (std::int64_t sweep = 1; sweep <= nlim; ++sweep) {
      it = static_cast<std::int32_t>(sweep);
      if (method == Method::GaussSeidel) {
        if (stepKernels)
          sweepGaussSeidel(n, A, B1.data(), X0.data(), X1.data());
        else
          fastSweepGaussSeidel(n, A, B1.data(), X0.data(), X1.data());
      } else {
        if (stepKernels)
          sweepSor(n, A, B1.data(), X0.data(), X1.data(), s.omega, s.oneMinusOmega);
        else
          fastSweepSor(n, A, B1.data(), X0.data(), X1.data(), s.omega, s.oneMinusOmega);
      }
      for (std::int32_t i = 0; i < n; ++i) D[i] = X1[i] - X0[i];
      dif = NORM(D.data(), n);
      if (listener) {
        ev.step = it;
        ev.rhs = k;
        ev.measure = dif;
        listener->step(ev);
      }
      checkpoint(Stage::Iteration, sweep, nlim, dif, k);

      if (trace) writeTraceRows(sweepFormat, {it}, X1.data(), n, dif, true, m + 1, items);

      if (dif <= eps) {
        verdict = kTolerance;
        stopped = true;
        break;
      }
      if (dif < difAnt) {
        verdict = kLimit;
        std::copy(X1.begin(), X1.end(), X0.begin());
        difAnt = dif;
        continue;
      }
      if (dif >= difAnt) {
        ++ndiv;
        if (dif == difAnt) {
          ReportFile().print({"* Iteratie stationara", it});
          verdict = kStationary;
          stopped = true;
          break;
        }
        if (trace)
          ReportFile().print({"* Divergenta"});
        else
          ReportFile().print({"* Divergenta la iteratia", it});
        if (ndiv == 2) {
          verdict = kDivergence;
          stopped = true;
          break;
        }
        std::copy(X1.begin(), X1.end(), X0.begin());
        difAnt = dif;
      }
      // A difference that is not a number passes none of the tests: the next
      // sweep starts again from the same X0 and reference difference.
    }
    // A verdict left by an earlier right-hand side stays, except that the
    // tolerance is never claimed for a right-hand side that did not meet it.
    if (!stopped && verdict == kTolerance) verdict = kLimit;
    result.sweeps.push_back({verdictOf(verdict), it, dif, difAnt});

    // Result block.
    if (nb < 2)
      ReportFile().write("(/,a)", {" Solutia:"});
    else
      ReportFile().write(fillWidths("(/,a,I<>)", {WIDTH(k)}),
                         {" Solutia - Termenii liberi nr. ", k});

    const std::string_view T = TEXT(verdict);
    if (verdict < 0) {
      StdOut().write("(/,a)", {T});
      const std::string_view rel = verdict == kDivergence ? " > " : " = ";
      ReportFile().write("(/, a, a, 2(1pg12.6, a))",
                         {T, " (", dif, rel, difAnt, ")"});
    } else {
      ReportFile().write("(/, a, a, 1pg12.6, a)",
                         {T, " (", dif, ")"});
      StdOut().write("(/,a)", {T});
    }

    if (verdict != kTolerance) {
      StdOut().write("(a)");
      ReportFile().write("(/,a)", {" Ultima aproximatie:"});
    } else {
      const std::string format = fillWidths("(a,I<>/)", {WIDTH(it)});
      ReportFile().write(format, {" Numar iteratii: ", it});
      StdOut().write(format, {" Numar iteratii: ", it});
    }

    for (std::int32_t i = 1; i <= n; ++i)
      ReportFile().write(fillWidths("(a,I<>,a,G15.7)", {WIDTH(i)}),
                         {" x(", i, ") =", X1[i - 1]});

    std::copy(X1.begin(), X1.end(), X.begin() + static_cast<std::ptrdiff_t>(k - 1) * n);
  }

  PROBA(n, nb, A, B, X.data(), isSystem, eachEquation);
  return result;
}

}  // namespace

MethodOutcome GAUSS_SEIDEL() { return runIteration(Method::GaussSeidel); }

MethodOutcome SOR() { return runIteration(Method::Sor); }

}  // namespace parvela
