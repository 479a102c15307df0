// The data of a run in exact arithmetic: each decimal as the file writes it
// (0.1 is 1/10), a generated matrix from its defining formula, or, where
// neither applies (a run on what an earlier run left, values whose text is
// not at hand), the single-precision values the run started from, each of
// which is a rational too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gmpxx.h>

#include "analysis/exact_number.h"
#include "analysis/step_record.h"
#include "core/problem_state.h"

namespace parvela {

enum class ExactSource {
  Written,  // the values as the data file writes them
  Formula,  // the generator's defining formula
  Stored,   // the single-precision values, taken exactly
};

struct ExactInput {
  std::int32_t n = 0;
  std::int32_t nb = 0;
  std::vector<ExactNumber> A;  // n x n, column-major
  std::vector<ExactNumber> B;  // n x nb, column-major
  ExactSource matrixSource = ExactSource::Stored;
  ExactSource rhsSource = ExactSource::Stored;
  std::string generator;  // the generator's name (matrixSource Formula)
  bool fromRead = false;  // the data of the read, not the values a run started from

  bool empty() const { return n <= 0; }
  const ExactNumber& a(std::int32_t i, std::int32_t j) const {
    return A[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i - 1)];
  }
};

// The text of each value of a data part, as written (an empty text is a
// value the file leaves at zero): the matrix by rows, A(i,j) at i*n + j
// (0-based; the upper triangle only for a symmetric matrix read as one),
// value i of right-hand side k at k*n + i, the generator's constants.
struct ValueTexts {
  std::vector<std::string> a;
  std::vector<std::string> b;
  std::vector<std::string> c;
  bool upperOnly = false;
};

// A decimal number as a list-directed read writes it ("2", "-0.5",
// "1.5E-3", "1.5D-3", "3*0.1" for a repeated value; "" is 0), exactly;
// nothing for a text that is not such a number.
std::optional<mpq_class> exactDecimal(std::string_view text);

// The values taken exactly; nothing when one is not finite.
std::optional<std::vector<ExactNumber>> exactValues(const std::vector<float>& v);

// What a successful read left, for the runs that follow: the arrays (for
// orders up to the detail limit) and the data in exact arithmetic.
struct ReadSnapshot {
  std::int32_t n = 0;
  std::int32_t nb = 0;
  std::vector<float> A, AV, B;
  std::optional<ExactInput> exact;
};

// The snapshot of the state after a read: the generator's formula for a
// generated matrix, the texts when given (checked: each must round to the
// value read, or the values read are taken instead), else the values read.
ReadSnapshot snapshotRead(const ProblemState& state, const ValueTexts* texts = nullptr);
// The same with the texts of the data part of `fileText` (the data file the
// read took them from), as the reader reads them with the state's choices,
// where the program can tell them.
ReadSnapshot snapshotRead(const ProblemState& state, std::string_view fileText);
// The texts of the values of the data part, where the program can tell them.
std::optional<ValueTexts> writtenTexts(const ProblemState& state, std::string_view fileText);

// The exact data of a run that starts from `start`: the read's when the
// run starts from what the read left, else the run's own values. Nothing
// above the detail limit, or when a value is not finite.
std::optional<ExactInput> exactInputFor(const StepRunStart& start, const ReadSnapshot* read);

}  // namespace parvela
