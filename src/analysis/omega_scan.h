// The best relaxation factor of SOR: the spectral radius of the iteration
// matrix on a grid of omega over (0, 2), refined near its minimum, beside
// the sweeps real SOR runs make with the run's Eps and Nlim. Every run is
// the run "REZOLVA !" would make with that omega typed into the box (the
// first right-hand side only), on a private copy: nothing is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_progress.h"
#include "core/problem_state.h"
#include "core/run_result.h"

namespace parvela {

struct OmegaRadius {
  float omega = 0.0f;
  double rho = 0.0;
};

struct OmegaRun {
  std::string text;  // as typed into the Omega box
  float omega = 0.0f;
  std::int32_t sweeps = 0;
  Verdict verdict = Verdict::Limit;
};

struct OmegaScan {
  bool available = false;
  std::optional<Breakdown> reorderFailure;  // no usable diagonal: nothing to scan
  std::vector<OmegaRadius> radii;           // ascending omega, the refined points included
  std::string bestText;                     // omega*, as it would be typed
  float best = 0.0f;
  double bestRho = 0.0;
  std::vector<OmegaRun> runs;  // omega = 0.1, 0.2, ..., 1.9, then omega*
};

// Grid steps, in thousandths of omega.
inline constexpr std::int32_t kOmegaCoarseStep = 50;
inline constexpr std::int32_t kOmegaFineStep = 5;
inline constexpr std::int32_t kOmegaRunStep = 100;

// The text of omega = thousandths / 1000 as a user types it ("1.745").
std::string omegaText(std::int32_t thousandths);
// The state of a SOR run with `text` in the Omega box, the run's other
// choices and parameters kept, for its first right-hand side, printing off.
ProblemState sorRunState(const ProblemState& start, std::string_view text);

OmegaScan scanOmega(const ProblemState& start, const AnalysisProgress& progress = {});

}  // namespace parvela
