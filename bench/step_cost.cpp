// What the step view costs a run above the detail limit: a Gauss run of
// order n (2000 by default) with the results window's listeners, the trace
// recorder alone (as before the step view) and the trace recorder with the
// step recorder behind it, alternated, with the medians and spreads of the
// run's time; then what the view does after the run (the steps kept, the
// list's titles and the first page).
//
//   parvela-bench-steps [order [pairs]]
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "analysis/step_record.h"
#include "core/problem_state.h"
#include "run/dispatcher.h"
#include "ui/core/run_trace.h"
#include "ui/core/step_pages.h"

using namespace parvela;
using Clock = std::chrono::steady_clock;

namespace {

// Keeps the events of a run above the detail limit (summaries: no spans).
struct Keeper : StepListener {
  std::vector<StepEvent> events;
  void step(const StepEvent& e) override { events.push_back(e); }
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

}  // namespace

int main(int argc, char** argv) {
  const std::int32_t n = argc > 1 ? std::atoi(argv[1]) : 2000;
  const int pairs = argc > 2 ? std::atoi(argv[2]) : 15;
  ProblemState base;
  {
    ProblemScope scope(base);
    INITIALIZEDATA();
  }
  base.n = n;
  base.nb = 1;
  base.methodIndex = 1;
  base.readForSystem = true;
  base.dataRead = true;
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  base.A.resize(static_cast<std::size_t>(n) * n);
  base.B.resize(static_cast<std::size_t>(n));
  for (float& v : base.A) v = u(rng);
  for (float& v : base.B) v = u(rng);

  std::vector<double> before, with, after, cpuBefore, cpuWith;
  for (int p = 0; p < 2 * pairs + 2; ++p) {
    const bool steps = p % 2 == 1;
    ProblemState s = base;
    TraceRecorder trace;
    StepRecorder recorder;
    if (steps) {
      trace.setNext(&recorder);
      recorder.begin(s);
    }
    const Clock::time_point t0 = Clock::now();
    const std::clock_t c0 = std::clock();
    RunResult r;
    {
      StepScope scope(&trace);
      r = runOnPrivateState(s);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
    if (p < 2) continue;  // warm-up pair
    (steps ? with : before).push_back(seconds);
    (steps ? cpuWith : cpuBefore).push_back(cpu);
    if (steps) {
      const Clock::time_point t1 = Clock::now();
      StepRun run = recorder.finish(r);
      const StepSession session(std::move(run), std::nullopt, "bench", 1);
      std::size_t chars = 0;
      for (std::size_t k = 0; k < pageCount(session); ++k) chars += pageTitle(session, k).size();
      const StepPage page = makePage(session, 0, false);
      after.push_back(std::chrono::duration<double>(Clock::now() - t1).count());
      if (chars == 0 || page.lines.empty()) std::printf("?");
    }
  }
  // The step recorder's own work for the run's events, fed again without
  // the run: what it adds to the run, free of the machine's noise.
  Keeper keeper;
  {
    ProblemState s = base;
    StepScope scope(&keeper);
    runOnPrivateState(s);
  }
  const int repeats = 200;
  const Clock::time_point t2 = Clock::now();
  for (int k = 0; k < repeats; ++k) {
    StepRecorder recorder;
    recorder.begin(base);
    for (const StepEvent& e : keeper.events) recorder.step(e);
    if (recorder.finish(RunResult{}).steps.empty()) std::printf("?");
  }
  const double own = std::chrono::duration<double>(Clock::now() - t2).count() / repeats;

  auto spread = [](const std::vector<double>& v) {
    return std::make_pair(*std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
  };
  const double a = median(before), b = median(with);
  std::vector<double> ratio;
  for (std::size_t k = 0; k < before.size(); ++k) ratio.push_back(with[k] / before[k]);
  std::printf("Gauss, n = %d, %d pairs\n", n, pairs);
  std::printf("  trace recorder alone:         median %.4f s (%.4f .. %.4f)\n", a, spread(before).first,
              spread(before).second);
  std::printf("  with the step recorder:       median %.4f s (%.4f .. %.4f)\n", b, spread(with).first,
              spread(with).second);
  std::printf("  ratio of pairs: median %.4f (%.4f .. %.4f)\n", median(ratio), spread(ratio).first,
              spread(ratio).second);
  std::vector<double> cpuRatio;
  for (std::size_t k = 0; k < cpuBefore.size(); ++k) cpuRatio.push_back(cpuWith[k] / cpuBefore[k]);
  std::printf("  processor time: median %.4f s alone, %.4f s with the step recorder; ratio of pairs: median %.4f (%.4f .. %.4f)\n",
              median(cpuBefore), median(cpuWith), median(cpuRatio), spread(cpuRatio).first, spread(cpuRatio).second);
  std::printf("  the step recorder's own work for the run's %zu events: %.3f ms (%.3f %% of the median run)\n",
              keeper.events.size(), own * 1e3, 100.0 * own / a);
  std::printf("  after the run (steps kept, list titles, first page): median %.4f s\n", median(after));
  return 0;
}
