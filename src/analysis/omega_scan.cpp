#include "analysis/omega_scan.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <thread>
#include <vector>

#include "analysis/convergence_diagnosis.h"
#include "core/kernel_runtime.h"
#include "core/methods.h"
#include "core/progress.h"
#include "io/fortran_io.h"
#include "run/dispatcher.h"

namespace parvela {

std::string omegaText(std::int32_t thousandths) {
  std::string t = std::to_string(thousandths / 1000) + ".";
  const std::int32_t frac = thousandths % 1000;
  t += static_cast<char>('0' + frac / 100);
  if (frac % 100 != 0) t += static_cast<char>('0' + frac / 10 % 10);
  if (frac % 10 != 0) t += static_cast<char>('0' + frac % 10);
  return t;
}

ProblemState sorRunState(const ProblemState& start, std::string_view text) {
  ProblemState s = start;
  s.methodIndex = methodIndexOf("SOR");
  s.omegaText = fixedText(text, kParamTextLength);
  s.printMatrix = false;
  s.printIterations = false;
  s.nb = std::min(s.nb, 1);
  return s;
}

OmegaScan scanOmega(const ProblemState& start, const AnalysisProgress& progress) {
  OmegaScan scan;
  if (start.n < 1 || start.n > kRadiusOrderLimit || !isIterativeMethod(start.methodIndex)) return scan;
  const IterationSystem sys = iterationSystem(start, true);
  if (sys.breakdown) {
    scan.reorderFailure = sys.breakdown;
    return scan;
  }
  scan.available = true;

  const std::int32_t coarse = 2000 / kOmegaCoarseStep - 1;
  const std::int32_t fine = 2 * kOmegaCoarseStep / kOmegaFineStep - 2;
  const std::int32_t runs = 2000 / kOmegaRunStep - 1;
  const std::int32_t total = coarse + fine + runs + 1;
  std::int32_t done = 0;

  // By thousandths; the radius is taken at the omega the typed text gives.
  // Each radius is independent of the others: two threads share a grid.
  std::map<std::int32_t, double> radius;
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<std::int32_t> computed{0};
  auto compute = [&](std::vector<std::int32_t> grid) {
    std::erase_if(grid, [&](std::int32_t t) { return t <= 0 || t >= 2000 || radius.count(t) != 0; });
    std::vector<double> rho(grid.size());
    const std::int32_t before = done;
    kernels::parallelRanges(0, grid.size(), 1, 2, [&](std::size_t lo, std::size_t hi) {
      for (std::size_t k = lo; k < hi; ++k) {
        pollCancel();  // the calling thread's monitor; a no-op on the helper
        const float w = std::strtof(omegaText(grid[k]).c_str(), nullptr);
        rho[k] = iterationRadius(sys.A, w).value_or(std::numeric_limits<double>::quiet_NaN());
        const std::int32_t c = ++computed;
        if (std::this_thread::get_id() == caller) tell(progress, "Raza spectrala pe grila lui omega", before + c, total);
      }
    });
    for (std::size_t k = 0; k < grid.size(); ++k) radius[grid[k]] = rho[k];
    done = before + static_cast<std::int32_t>(grid.size());
    computed = 0;
  };
  auto bestOf = [&] {
    std::int32_t best = 0;
    for (const auto& [t, r] : radius)
      if (!std::isnan(r) && (best == 0 || r < radius[best])) best = t;
    return best;
  };
  std::vector<std::int32_t> grid;
  for (std::int32_t t = kOmegaCoarseStep; t < 2000; t += kOmegaCoarseStep) grid.push_back(t);
  compute(grid);
  const std::int32_t coarseBest = bestOf();
  grid.clear();
  if (coarseBest != 0)
    for (std::int32_t t = coarseBest - kOmegaCoarseStep; t <= coarseBest + kOmegaCoarseStep; t += kOmegaFineStep)
      grid.push_back(t);
  compute(grid);
  const std::int32_t best = bestOf();
  for (const auto& [t, r] : radius) scan.radii.push_back({std::strtof(omegaText(t).c_str(), nullptr), r});
  if (best != 0) {
    scan.bestText = omegaText(best);
    scan.best = std::strtof(scan.bestText.c_str(), nullptr);
    scan.bestRho = radius[best];
  }

  std::vector<std::string> texts;
  for (std::int32_t t = kOmegaRunStep; t < 2000; t += kOmegaRunStep) texts.push_back(omegaText(t));
  if (best != 0) texts.push_back(scan.bestText);
  for (const std::string& text : texts) {
    pollCancel();
    ProblemState s = sorRunState(start, text);
    const RunResult r = runOnPrivateState(s);
    OmegaRun run;
    run.text = text;
    run.omega = s.omega;
    if (!r.outcome.sweeps.empty()) {
      run.sweeps = r.outcome.sweeps.front().sweeps;
      run.verdict = r.outcome.sweeps.front().verdict;
    }
    scan.runs.push_back(run);
    tell(progress, "Rulari SOR cu omega de pe grila", ++done, total);
  }
  return scan;
}

}  // namespace parvela
