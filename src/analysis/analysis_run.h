// The analysis of one run: why its method worked or failed. It starts from
// a copy of the state the run started from and never touches the program's
// problem, its report or its data file: the run is made again on a private
// copy (the same bits as "REZOLVA !"), and everything else is computed
// beside it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/analysis_progress.h"
#include "analysis/analysis_reference.h"
#include "analysis/condition_check.h"
#include "analysis/convergence_diagnosis.h"
#include "analysis/error_anatomy.h"
#include "core/problem_state.h"
#include "core/run_result.h"

namespace parvela {

// The system of the data as the run started: the full matrix (also when
// the method keeps it packed) and the right-hand sides (the identity for
// the inverse and the condition number).
struct StoredSystem {
  FloatMatrix A;
  FloatMatrix B;
};
StoredSystem storedSystem(const ProblemState& start);

// The run made again on a private copy, with what its step events showed.
struct ReplayedRun {
  RunResult result;
  // Per right-hand side: the computed solution (empty when the method
  // stopped before one) and, for the iterative methods, max|x - x_ant| of
  // every sweep.
  std::vector<std::vector<float>> solutions;
  std::vector<std::vector<double>> changes;
  // Order 2, iterative: the iterates of the first right-hand side from the
  // starting vector on (at most kMaxPathPoints).
  std::vector<std::array<double, 2>> path;
  static constexpr std::size_t kMaxPathPoints = 400;
};
// The print options are left off (the report is not kept): they change no
// number.
ReplayedRun replayRun(const ProblemState& start);

// Two equations in two unknowns as lines of the plane.
struct PlanePicture {
  std::array<double, 3> line1{};  // a11 x + a12 y = b1
  std::array<double, 3> line2{};  // a21 x + a22 y = b2
  std::optional<std::array<double, 2>> solution;
  double angleDegrees = 0.0;  // between the two lines, 0..90
  // The path of the iterates as the sweeps take it: one component at a
  // time, so each sweep adds the corner where the first component has
  // moved and the second not yet.
  std::vector<std::array<double, 2>> path;
};

struct RunAnalysis {
  RunResult run;  // what the private run did (the same as the real one)
  std::optional<ErrorAnatomy> errors;              // systems and inverses
  std::optional<ConvergenceDiagnosis> convergence;  // Gauss-Seidel and SOR
  std::optional<ConditionCheck> condition;         // the condition number
  std::optional<PlanePicture> plane;               // order 2
};

// Runs of order above this are analysed only on request (the extended
// precision inverse costs n^3 operations).
inline constexpr std::int32_t kAutomaticAnalysisLimit = 400;

RunAnalysis analyseRun(const ProblemState& start, const AnalysisProgress& progress = {});

}  // namespace parvela
