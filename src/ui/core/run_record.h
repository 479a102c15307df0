// One run as the window keeps it for its plots: what was chosen, what its
// step events traced and how every right-hand side ended. Runs of a session
// are kept so that their curves can be overlaid; the data of the kept runs
// can be written as CSV.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/problem_state.h"
#include "core/run_result.h"
#include "ui/core/run_trace.h"

namespace parvela {

struct RunRecord {
  std::int32_t number = 0;  // 1, 2, ... in the session
  ProblemKind problemKind = ProblemKind::System;
  std::string method;  // "SOR", "Gauss", ...; "Numar Conditie" for the condition number
  bool iterative = false;
  bool withOmega = false;  // the method takes the relaxation factor
  float eps = 0.0f;
  float omega = 0.0f;
  std::int32_t nlim = 0;
  RunTrace trace;
  RunResult result;

  // "SOR, omega = 1.200E+00, eps = 1.000E-04": the run in the outcome line.
  std::string label() const;
  // "SOR ω=1.2, eps=1e-4": the short legend of its curves, what tells runs
  // of a session apart first.
  std::string curveLabel() const;
  // How right-hand side `rhs` (1-based) ended, when the run iterated it.
  const SweepOutcome* verdictOf(std::int32_t rhs) const;
};

// The record of a finished run from its result and its trace.
RunRecord makeRunRecord(const RunResult& result, RunTrace trace);

// Writes one CSV row per sweep: run, method, omega, eps, right-hand side,
// sweep, max|x - x_ant|, its log10 and, on the last sweep, the verdict.
void writeSweepsCsv(std::ostream& out, const std::vector<RunRecord>& runs);
// One row per power-method iteration: run, pass, iteration, measure, log10.
void writePowerCsv(std::ostream& out, const std::vector<RunRecord>& runs);
// One row per elimination step: run, method, step, pivot, log10 |pivot|.
void writePivotsCsv(std::ostream& out, const std::vector<RunRecord>& runs);

// log10 of a positive magnitude; zero (a sweep that changed nothing) gives
// the floor, so that a plot can still show the point.
double log10OrFloor(double magnitude, double floor = -45.0);
// A real written as the report writes E10.3 under 1p ("1.000E-04").
std::string scientific3(float v);
// A real in the fewest digits that give it back ("1.5", "1e-5", "0.0001").
std::string shortest(float v);

}  // namespace parvela
