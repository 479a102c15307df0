#include "analysis/analysis_run.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/methods.h"
#include "core/progress.h"
#include "core/steps.h"
#include "run/dispatcher.h"

namespace parvela {

namespace {

// What the private run's sweeps showed.
class SweepListener final : public StepListener {
 public:
  SweepListener(std::int32_t n, std::int32_t nb, ReplayedRun& into) : n_(n), into_(into) {
    into_.changes.resize(static_cast<std::size_t>(nb > 0 ? nb : 0));
    last_.resize(into_.changes.size());
    if (n == 2) into_.path.push_back({0.0, 0.0});
  }
  void step(const StepEvent& e) override {
    if (e.kind != StepKind::Sweep || e.rhs < 1 || static_cast<std::size_t>(e.rhs) > last_.size()) return;
    const std::size_t k = static_cast<std::size_t>(e.rhs - 1);
    into_.changes[k].push_back(e.measure);
    last_[k].assign(e.x.begin(), e.x.end());
    if (n_ == 2 && e.rhs == 1 && e.x.size() == 2 && into_.path.size() < ReplayedRun::kMaxPathPoints)
      into_.path.push_back({e.x[0], e.x[1]});
  }
  std::vector<std::vector<float>> takeLast() { return std::move(last_); }

 private:
  std::int32_t n_;
  ReplayedRun& into_;
  std::vector<std::vector<float>> last_;
};

PlanePicture planePicture(const StoredSystem& sys, const ReplayedRun& run) {
  PlanePicture p;
  auto a = [&](int i, int j) { return static_cast<double>(sys.A.column(j)[i]); };
  const double b1 = sys.B.cols > 0 ? sys.B.column(0)[0] : 0.0;
  const double b2 = sys.B.cols > 0 ? sys.B.column(0)[1] : 0.0;
  p.line1 = {a(0, 0), a(0, 1), b1};
  p.line2 = {a(1, 0), a(1, 1), b2};
  const long double det = static_cast<long double>(a(0, 0)) * a(1, 1) - static_cast<long double>(a(0, 1)) * a(1, 0);
  if (det != 0.0L && std::isfinite(static_cast<double>(det))) {
    p.solution = std::array<double, 2>{static_cast<double>((b1 * static_cast<long double>(a(1, 1)) - a(0, 1) * static_cast<long double>(b2)) / det),
                                       static_cast<double>((a(0, 0) * static_cast<long double>(b2) - b1 * static_cast<long double>(a(1, 0))) / det)};
  }
  const double n1 = std::hypot(a(0, 0), a(0, 1));
  const double n2 = std::hypot(a(1, 0), a(1, 1));
  if (n1 > 0.0 && n2 > 0.0) {
    // From the cross product: accurate also for nearly parallel lines.
    const double sine = std::min(1.0, std::fabs(static_cast<double>(det)) / (n1 * n2));
    p.angleDegrees = std::asin(sine) * 180.0 / M_PI;
  }
  for (std::size_t k = 0; k < run.path.size(); ++k) {
    if (k > 0) p.path.push_back({run.path[k][0], run.path[k - 1][1]});
    p.path.push_back(run.path[k]);
  }
  return p;
}

}  // namespace

StoredSystem storedSystem(const ProblemState& start) {
  StoredSystem s;
  const std::int32_t n = start.n > 0 ? start.n : 0;
  const std::int32_t nb = start.nb > 0 ? start.nb : 0;
  const std::size_t N = static_cast<std::size_t>(n);
  s.A = {n, n, std::vector<float>(N * N, 0.0f)};
  s.B = {n, nb, std::vector<float>(N * static_cast<std::size_t>(nb), 0.0f)};
  const bool packed = methodReadsPacked(start.methodIndex) && start.problemKind != ProblemKind::ConditionNumber &&
                      start.avAllocated && start.AV.size() >= N * (N + 1) / 2;
  if (packed) {
    for (std::size_t j = 1; j <= N; ++j)
      for (std::size_t i = 1; i <= N; ++i)
        s.A.values[(j - 1) * N + (i - 1)] = start.AV[i <= j ? packedOffset(i, j) : packedOffset(j, i)];
  } else {
    std::copy_n(start.A.begin(), std::min(start.A.size(), s.A.values.size()), s.A.values.begin());
  }
  std::copy_n(start.B.begin(), std::min(start.B.size(), s.B.values.size()), s.B.values.begin());
  return s;
}

ReplayedRun replayRun(const ProblemState& start) {
  ReplayedRun r;
  ProblemState s = start;
  s.printMatrix = false;
  s.printIterations = false;
  SweepListener listener(s.n, s.nb, r);
  {
    StepScope scope(&listener);
    r.result = runOnPrivateState(s);
  }
  const std::size_t N = static_cast<std::size_t>(s.n > 0 ? s.n : 0);
  if (s.problemKind == ProblemKind::ConditionNumber) return r;
  if (isIterativeMethod(s.methodIndex)) {
    r.solutions = listener.takeLast();
  } else if (!r.result.outcome.breakdown && methodInfo(s.methodIndex)) {
    for (std::int32_t k = 0; k < s.nb; ++k) {
      const auto first = s.B.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(k) * N);
      r.solutions.emplace_back(first, first + static_cast<std::ptrdiff_t>(N));
    }
  }
  return r;
}

RunAnalysis analyseRun(const ProblemState& start, const AnalysisProgress& progress) {
  RunAnalysis a;
  constexpr std::int32_t kSteps = 3;
  tell(progress, "Rularea refacuta pe o copie", 0, kSteps);
  ReplayedRun replay = replayRun(start);
  a.run = replay.result;
  const StoredSystem sys = storedSystem(start);
  pollCancel();
  if (start.problemKind == ProblemKind::ConditionNumber) {
    tell(progress, "Numarul de conditie verificat", 1, kSteps);
    a.condition = checkCondition(sys.A, start.normIndex, replay.result, exactGeneratedMatrix(start));
  } else if (methodInfo(start.methodIndex)) {
    tell(progress, "Erorile solutiei", 1, kSteps);
    std::optional<KernelFactors> factors;
    if (!isIterativeMethod(start.methodIndex)) factors = KernelFactors::make(start.methodIndex, sys.A);
    a.errors = errorAnatomy(sys.A, sys.B, replay.solutions, factors ? &*factors : nullptr);
    if (isIterativeMethod(start.methodIndex)) {
      tell(progress, "Diagnosticul convergentei", 2, kSteps);
      a.convergence =
          diagnoseConvergence(start, replay.result, replay.changes.empty() ? std::vector<double>{} : replay.changes[0]);
    }
    if (start.n == 2) a.plane = planePicture(sys, replay);
  }
  tell(progress, "Gata", kSteps, kSteps);
  return a;
}

}  // namespace parvela
