// What a run did, as values: every driver writes its report lines and
// returns one of these, and the run room completes it with how the run
// ended. The window's outcome line, its plots and notices, and the batch
// front end's exit status read these values, never the report's text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/problem_state.h"

namespace parvela {

// What a numerical kernel reports back instead of writing report lines: the
// step where it stopped and the value that failed the test (the driver
// writes the lines from it).
struct KernelStatus {
  bool failed = false;
  std::int32_t step = 0;  // 1-based column / row / step of the failure
  float value = 0.0f;     // the pivot, u(k,k) or s(j,j)^2 that failed
  explicit operator bool() const { return !failed; }
};

enum class BreakdownKind {
  SmallPivot,            // Gauss: the largest candidate below the threshold
  LuDiagonal,            // LU: |u(k,k)| below the threshold
  NotPositiveDefinite,   // Cholesky: s(j,j)^2 <= 0
  NearlySingular,        // the condition number's inverse: pivot below 1.0E-8
  DiagonalUnusable,      // the iterative methods' reordering found no usable diagonal
};

struct Breakdown {
  BreakdownKind kind = BreakdownKind::SmallPivot;
  std::int32_t step = 0;  // the column, row or step where the method stopped
  float value = 0.0f;     // the value that failed the test
  float threshold = 0.0f; // the test's threshold (0 for Cholesky's sign test)
};

enum class Verdict { Tolerance, Limit, Divergence, Stationary };

// How one right-hand side of an iterative method ended.
struct SweepOutcome {
  Verdict verdict = Verdict::Limit;
  std::int32_t sweeps = 0;         // sweeps made for this right-hand side
  float change = 0.0f;             // max|x - x_ant| of the last sweep
  float previousChange = 0.0f;     // the reference it was compared with
};

// One spectral radius of the condition number (norm 2 or Cond(A)*).
struct RadiusOutcome {
  float value = 0.0f;
  bool settled = true;             // false: the report marks it " (?)"
  std::int32_t iterations = 0;     // power-method iterations, both passes
};

struct ConditionOutcome {
  std::int32_t normIndex = 0;      // 0, 1, 2 or -1 (Cond(A)*)
  float normA = 0.0f;              // ||A|| (Cond(A)*: rho(A))
  float normInverse = 0.0f;        // ||A^-1|| (Cond(A)*: rho(A^-1))
  float condition = 0.0f;
  bool doubtful = false;           // "Numarul de conditie = ?"
  std::vector<RadiusOutcome> radii;  // the power methods' radii, in report order
};

// What one driver returns.
struct MethodOutcome {
  std::optional<Breakdown> breakdown;
  std::int32_t interchanges = 0;        // row interchanges (Gauss, LU) or exchanges (reordering)
  std::optional<double> determinant;    // as the method forms it, sign of the interchanges included
  std::vector<SweepOutcome> sweeps;     // iterative methods: one per right-hand side
  std::optional<ConditionOutcome> condition;
};

// Why a press of "REZOLVA !" wrote nothing.
enum class Refusal {
  None,
  NoMethod,             // no method chosen
  MissingParameters,    // Eps, Nlim or Omega empty or zero
  NotRead,              // no successful read of the selected file
  ChangedSinceRead,     // the file is no longer as the read (or the last report) left it
  Unreadable,           // the file could not be checked
  ReadAgain,            // the data read do not fit the current choices
  MatrixConsumed,       // the packed matrix was used up by the previous run
  NotWritable,          // the user may not write the data file
  Declined,             // the user kept the text after the data that a report would replace
  NoMemory,             // the work arrays did not fit
  WriteFailed,          // the report could not be placed in the file
  WriteNoMemory,        // the memory for the write was refused
};

enum class RunStatus {
  Written,    // the report is in the file
  Refused,    // nothing was written; a message said why
  Cancelled,  // stopped by the user; nothing was written
  Computed,   // a run on a private state: done, and nothing to write
};

struct RunResult {
  RunStatus status = RunStatus::Refused;
  Refusal refusal = Refusal::None;
  ProblemKind problemKind = ProblemKind::System;
  std::int32_t methodIndex = 0;  // the row of kMethods (0 for the condition number)
  std::int32_t n = 0;
  std::int32_t nb = 0;
  float eps = 0.0f;
  std::int32_t nlim = 0;
  float omega = 0.0f;
  MethodOutcome outcome;

  bool written() const { return status == RunStatus::Written; }
  // A report that records that the method could not finish or did not
  // converge for some right-hand side.
  bool recordsFailure() const {
    if (outcome.breakdown) return true;
    for (const SweepOutcome& s : outcome.sweeps)
      if (s.verdict != Verdict::Tolerance) return true;
    return false;
  }
  // The method's name as the list shows it, or "Numar Conditie".
  std::string_view methodLabel() const {
    return problemKind == ProblemKind::ConditionNumber ? std::string_view("Numar Conditie")
                                                       : methodInfo(methodIndex) ? methodInfo(methodIndex)->name
                                                                                 : std::string_view();
  }
};

// Short Romanian name of a verdict, for legends and files.
constexpr std::string_view verdictName(Verdict v) {
  switch (v) {
    case Verdict::Tolerance: return "toleranta atinsa";
    case Verdict::Limit: return "limita de iteratii";
    case Verdict::Divergence: return "divergenta";
    case Verdict::Stationary: return "iteratie stationara";
  }
  return "";
}

}  // namespace parvela
