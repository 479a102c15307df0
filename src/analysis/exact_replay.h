// The steps of a run redone in exact arithmetic: the same operations in the
// same order, with the pivots and interchanges the run chose, on the data
// in exact arithmetic. Rationals where they exist (256-bit MPFR for square
// roots, the power method's lengths and moduli, and rationals past a few
// hundred digits). Where the exact pivot is zero although the run's passed
// its test, the replay says so and stops; later steps have no exact values.
// The run's own numbers are only read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/exact_input.h"
#include "analysis/exact_number.h"
#include "analysis/step_record.h"

namespace parvela {

enum class ExactNote {
  PivotZero,       // the exact pivot (or square root's argument) is zero or, for
                   // Cholesky, not positive, although the run's passed: the replay stops
  PivotPasses,     // the run's value failed its test, the exact one passes
  PivotWouldFail,  // the run's value passed, the exact one is below the threshold
  OtherRow,        // the exact pivot search would choose another row (row)
  NotReplayed,     // past what the replay redoes (long iterations)
};

struct ExactRemark {
  ExactNote note;
  std::int32_t row = 0;
  bool operator==(const ExactRemark&) const = default;
};

using ExactValues = std::vector<ExactNumber>;
using SharedExactValues = std::shared_ptr<const ExactValues>;

// The exact counterpart of one recorded step: the same fields, the same
// shapes (absent where the step has no such value or the replay stopped).
struct ExactStep {
  bool computed = false;
  ExactValues candidates;
  ExactValues multipliers;
  ExactValues partialSums;
  std::optional<ExactNumber> pivot;
  std::optional<ExactNumber> value;
  std::optional<ExactNumber> determinant;
  std::optional<ExactNumber> measure;
  std::optional<ExactNumber> ratio;
  std::optional<ExactNumber> residual;
  std::optional<ExactNumber> estimateRe, estimateIm, modulus;
  SharedExactValues A, B, S, x;  // column-major, as the step's arrays
  std::vector<ExactRemark> remarks;

  bool hasRemark(ExactNote n) const {
    for (const ExactRemark& r : remarks)
      if (r.note == n) return true;
    return false;
  }
};

struct ExactRun {
  ExactInput input;
  SharedExactValues initialA, initialB, initialS;  // what the run starts from
  std::vector<ExactStep> steps;                    // one per recorded step
  std::optional<std::size_t> stoppedAt;            // the step where the replay stopped
  bool mpfr = false;                               // some value is an MPFR value
};

// Sweeps and power iterations redone at most (the rest: NotReplayed).
inline constexpr std::size_t kExactIterationLimit = 5000;

// The replay of a run of full detail; nothing above the detail limit or
// when the run has no steps.
std::optional<ExactRun> replayExactly(const StepRun& run, const ExactInput& input);

}  // namespace parvela
