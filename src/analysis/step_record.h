// The steps of one run, kept: a step listener that copies every event it
// hears (the events' spans live only for the call), with what the run
// started from, so that a view can walk through them, an export can write
// them and the exact replay can redo them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/problem_state.h"
#include "core/run_result.h"
#include "core/steps.h"

namespace parvela {

// A column-major array with its shape (1-based access).
struct StepArray {
  std::vector<float> values;
  std::int32_t rows = 0;
  std::int32_t cols = 0;

  bool empty() const { return values.empty(); }
  float at(std::int32_t i, std::int32_t j) const {
    return values[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(i - 1)];
  }
  bool operator==(const StepArray&) const = default;
};

// One step, its values copied. The fields are those of StepEvent; partial
// sums are kept in double (a single-precision sum converts exactly).
struct RecordedStep {
  StepKind kind = StepKind::Elimination;
  StepDetail detail = StepDetail::Full;
  std::int32_t step = 0;
  std::int32_t rhs = 0;
  std::int32_t pass = 0;

  std::vector<float> candidates;
  std::int32_t pivotRow = 0;
  float pivot = 0.0f;
  float threshold = 0.0f;
  bool interchanged = false;
  std::int32_t interchanges = 0;
  std::vector<float> multipliers;
  std::vector<std::int32_t> updatedRows;
  std::vector<std::int32_t> skippedRows;
  std::vector<double> partialSums;
  bool sumsInDouble = false;  // LU forms its sums in double precision
  double value = 0.0;
  float rowMax = 0.0f;
  double growth = 0.0;
  double measure = 0.0;
  float estimateRe = 0.0f;
  float estimateIm = 0.0f;

  StepArray A;
  StepArray B;
  std::vector<float> S;
  std::vector<float> x;

  // Completed when the run ends.
  // The determinant as it accumulates, after this step's diagonal factor
  // (Gauss, LU, Cholesky; the sign of the interchanges so far included).
  std::optional<double> determinant;
  // Sweeps: the change over the previous sweep's change (the observed
  // convergence factor; none on a right-hand side's first sweep) and, in
  // full detail, max|b - A x| of the system as iterated, in double
  // precision from the single-precision data.
  std::optional<double> ratio;
  std::optional<double> residual;
};

// The system an iterative method iterates for one right-hand side
// (reordered, and scaled for SOR).
struct IteratedSystem {
  std::int32_t rhs = 0;
  StepArray A;
  std::vector<float> b;
};

// What a run was and what it started from.
struct StepRunStart {
  ProblemKind problemKind = ProblemKind::System;
  std::int32_t methodIndex = 0;  // 0 for the condition number
  std::int32_t normIndex = 0;    // the condition number's norm code
  std::int32_t n = 0;
  std::int32_t nb = 0;
  float omega = 0.0f;
  std::string omegaText;  // as typed (SOR)
  // The arrays the method takes (full detail only): A and B, or for
  // Cholesky the packed upper triangle S and B.
  StepArray A;
  StepArray B;
  std::vector<float> S;

  bool full() const { return useStepKernels(n); }
  bool packed() const { return !conditionNumber() && methodReadsPacked(methodIndex); }
  bool conditionNumber() const { return problemKind == ProblemKind::ConditionNumber; }
  bool lu() const { return !conditionNumber() && methodIndex == methodIndexOf("LU"); }
  bool iterative() const { return !conditionNumber() && isIterativeMethod(methodIndex); }
};

struct StepRun {
  StepRunStart start;
  std::vector<RecordedStep> steps;
  std::vector<IteratedSystem> systems;
  std::size_t dropped = 0;  // steps past kMaxSteps that were not kept
  RunResult result;

  static constexpr std::size_t kMaxSteps = 100000;

  bool full() const { return start.full(); }
  const IteratedSystem* systemOf(std::int32_t rhs) const;
};

// The start of a run from the state it works on (the arrays are copied
// for orders up to the detail limit only).
StepRunStart stepRunStart(const ProblemState& state);

// Keeps the steps of one run at a time.
class StepRecorder : public StepListener {
 public:
  // Before the run, on the thread that will run it or before it starts.
  void begin(const ProblemState& state);
  void step(const StepEvent& e) override;
  // After the run: the run's steps, completed (determinants folded into
  // the factorisation's steps, the sweeps' ratios); the recorder is empty.
  StepRun finish(const RunResult& result);
  bool active() const { return active_; }

 private:
  StepRun run_;
  std::vector<std::pair<std::int32_t, double>> determinants_;  // (row, product) as published
  bool active_ = false;
};

}  // namespace parvela
