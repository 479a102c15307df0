// An experiment over the order: the chosen generator and method for
// n = 2, 3, ... up to a limit, each a real run of the method's driver on
// the generated matrix with the right-hand side A (1, ..., 1)^T formed in
// double precision and rounded to single precision, its errors measured
// against the reference solution of that stored system. For the condition
// number, the run's figure against the reference in the same norm.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_progress.h"
#include "analysis/analysis_reference.h"
#include "core/problem_state.h"
#include "core/run_result.h"

namespace parvela {

struct ExperimentPoint {
  std::int32_t n = 0;
  bool skipped = false;  // the generator's constants do not cover this order
  std::optional<Breakdown> breakdown;
  std::optional<SweepOutcome> sweeps;  // iterative methods
  ReferenceTrust trust = ReferenceTrust::Singular;
  // System: NaN where not known (no solution, no trusted reference).
  double forward = 0.0;
  double backward = 0.0;
  double kappa = 0.0;  // infinity norm (the run's norm for the condition number)
  // Condition number: the run's figure and its relative error.
  double reported = 0.0;
  double relativeError = 0.0;
};

struct Experiment {
  bool condition = false;     // the condition number, not a system
  std::int32_t normIndex = 0;
  std::string generator;
  std::string method;
  std::vector<ExperimentPoint> points;
};

inline constexpr std::int32_t kExperimentDefaultLimit = 12;
inline constexpr std::int32_t kExperimentMaxLimit = 200;

// The name of the generator chosen in `start` ("" for none). The analysis
// runs off the window's thread: it asks the name lists, never the
// program's problem.
std::string_view chosenGenerator(const ProblemState& start);

// The state of the run at order n (nothing when the constants do not cover
// it or no generator is chosen); printing is off.
std::optional<ProblemState> experimentState(const ProblemState& start, std::int32_t n);

Experiment sweepOverN(const ProblemState& start, std::int32_t limit, const AnalysisProgress& progress = {});

}  // namespace parvela
