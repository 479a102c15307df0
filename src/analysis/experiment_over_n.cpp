#include "analysis/experiment_over_n.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/analysis_run.h"
#include "analysis/condition_check.h"
#include "analysis/error_anatomy.h"
#include "core/methods.h"
#include "core/progress.h"
#include "io/generators.h"

namespace parvela {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

std::string_view chosenGenerator(const ProblemState& start) {
  const std::int32_t i = start.generatorIndex;
  if (i < 1 || static_cast<std::size_t>(i) > kGeneratorNames.size()) return {};
  return kGeneratorNames[static_cast<std::size_t>(i - 1)];
}

std::optional<ProblemState> experimentState(const ProblemState& start, std::int32_t n) {
  const std::string_view name = chosenGenerator(start);
  if (name.empty() || n < 1) return std::nullopt;
  if (start.nc < leastConstants(name, n) || (name == "Wilkinson 5" && n < 5)) return std::nullopt;
  ProblemState s = start;
  const std::size_t N = static_cast<std::size_t>(n);
  s.n = n;
  s.printMatrix = false;
  s.printIterations = false;
  s.A.assign(N * N, 0.0f);
  GEN_A(n, s.A.data(), s.nc, s.C.data(), name);
  const bool condition = start.problemKind == ProblemKind::ConditionNumber;
  s.problemKind = condition ? ProblemKind::ConditionNumber : ProblemKind::System;
  s.readForSystem = !condition;
  if (condition) {
    s.nb = n;
    s.B.assign(N * N, 0.0f);
    for (std::size_t i = 0; i < N; ++i) s.B[i * N + i] = 1.0f;
  } else {
    // b = A (1, ..., 1)^T, each sum in double precision, stored in single.
    s.nb = 1;
    s.B.assign(N, 0.0f);
    for (std::size_t i = 0; i < N; ++i) {
      double sum = 0.0;
      for (std::size_t j = 0; j < N; ++j) sum += static_cast<double>(s.A[j * N + i]);
      s.B[i] = static_cast<float>(sum);
    }
  }
  s.AV.clear();
  s.avAllocated = s.avFromRead = false;
  if (!condition && methodReadsPacked(s.methodIndex)) {
    s.AV.assign(N * (N + 1) / 2, 0.0f);
    for (std::size_t j = 1; j <= N; ++j)
      for (std::size_t i = 1; i <= j; ++i) s.AV[packedOffset(i, j)] = s.A[(j - 1) * N + (i - 1)];
    s.avAllocated = s.avFromRead = true;
  }
  s.dataRead = true;
  return s;
}

Experiment sweepOverN(const ProblemState& start, std::int32_t limit, const AnalysisProgress& progress) {
  Experiment e;
  e.condition = start.problemKind == ProblemKind::ConditionNumber;
  e.normIndex = start.normIndex;
  e.generator = std::string(chosenGenerator(start));
  const MethodInfo* method = methodInfo(start.methodIndex);
  e.method = e.condition ? std::string("Numar Conditie") : method ? std::string(method->name) : std::string();
  if (e.generator.empty() || (!e.condition && !methodInfo(start.methodIndex))) return e;
  limit = std::clamp(limit, 2, kExperimentMaxLimit);
  for (std::int32_t n = 2; n <= limit; ++n) {
    pollCancel();
    tell(progress, "Experiment: ordinul n", n - 2, limit - 1);
    ExperimentPoint p;
    p.n = n;
    p.forward = p.backward = p.kappa = p.reported = p.relativeError = kNaN;
    const std::optional<ProblemState> state = experimentState(start, n);
    if (!state) {
      p.skipped = true;
      e.points.push_back(p);
      continue;
    }
    const ReplayedRun run = replayRun(*state);
    p.breakdown = run.result.outcome.breakdown;
    if (!run.result.outcome.sweeps.empty()) p.sweeps = run.result.outcome.sweeps.front();
    const StoredSystem sys = storedSystem(*state);
    if (e.condition) {
      const ConditionCheck c = checkCondition(sys.A, state->normIndex, run.result);
      p.trust = c.referenceAvailable ? ReferenceTrust::Trusted : ReferenceTrust::Singular;
      if (c.referenceAvailable) p.kappa = c.refCondition;
      if (c.reported) {
        p.reported = c.condition;
        if (c.referenceAvailable) p.relativeError = c.errCondition;
      }
    } else {
      const ErrorAnatomy a = errorAnatomy(sys.A, sys.B, run.solutions);
      p.trust = a.trust;
      if (a.trust == ReferenceTrust::Trusted || a.trust == ReferenceTrust::OutOfReach) p.kappa = a.kappaInf;
      if (!a.rows.empty() && a.rows[0].solved) {
        p.forward = a.rows[0].forward;
        p.backward = a.rows[0].backward;
      }
    }
    e.points.push_back(p);
  }
  tell(progress, "Experiment: gata", limit - 1, limit - 1);
  return e;
}

}  // namespace parvela
