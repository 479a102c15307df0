// What the step view shows of a run, Qt-free: one page per step (a title,
// the operations in words, the arrays after the step or a table), with the
// exact values beside when asked. The exports (LaTeX, plain text, JSON
// Lines) say the same things from the same functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/exact_input.h"
#include "analysis/exact_replay.h"
#include "analysis/step_record.h"

namespace parvela {

// One run's steps as the view and the exports use them. The exact replay
// is made on first use.
class StepSession {
 public:
  StepSession() = default;
  StepSession(StepRun run, std::optional<ExactInput> exactInput, std::string file, std::int32_t number)
      : run_(std::move(run)), input_(std::move(exactInput)), file_(std::move(file)), number_(number) {}

  const StepRun& run() const { return run_; }
  const std::string& file() const { return file_; }
  std::int32_t number() const { return number_; }
  bool empty() const { return run_.steps.empty(); }
  // Whether an exact replay can be made (full detail and exact data).
  bool exactPossible() const { return input_.has_value() && run_.full() && !run_.steps.empty(); }
  // The replay (nullptr when it cannot be made).
  const ExactRun* exact() const;

  // "Gauss", "SOR", ...; "Numar Conditie" for the condition number.
  std::string methodLabel() const;

 private:
  StepRun run_;
  std::optional<ExactInput> input_;
  std::string file_;
  std::int32_t number_ = 0;
  mutable std::optional<ExactRun> exact_;
  mutable bool tried_ = false;
};

enum class CellMark {
  None,
  Changed,     // changed by this step
  Pivot,       // the pivot (or the value the step forms)
  Multiplier,  // where the elimination keeps its multipliers (L)
  Empty,       // a place the method does not keep (below a packed triangle)
};

struct StepCell {
  std::optional<double> value;        // the run's value
  std::optional<ExactNumber> exactValue;
  std::string text;   // the run's value, short
  std::string exact;  // with the exact toggle: the exact value, short
  std::string diff;   // with the exact toggle: relative difference (and ulps)
  std::string tip;    // every digit: the run's value, and the exact one
  CellMark mark = CellMark::None;
};

// A grid of values: a matrix (with a bar before the right-hand sides) or a
// table (iterations, summaries), one highlighted row.
struct StepGrid {
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  std::vector<std::string> columnHeads;
  std::vector<std::string> rowHeads;
  std::vector<StepCell> cells;  // row by row
  std::int32_t barAfter = 0;    // a vertical bar after this column (0: none)
  std::vector<std::int32_t> markedRows;  // rows interchanged by the step (1-based)
  std::int32_t currentRow = 0;           // a table's current row (1-based; 0: none)
  std::string caption;

  StepCell& cell(std::int32_t r, std::int32_t c) {
    return cells[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c - 1)];
  }
  const StepCell& cell(std::int32_t r, std::int32_t c) const {
    return cells[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c - 1)];
  }
};

struct StepPage {
  std::string title;
  std::vector<std::string> lines;       // the operations in words
  std::vector<std::string> exactLines;  // with the exact toggle: the exact values and what they say
  StepGrid grid;
};

// Pages of a run: with full detail the data first, then one per step.
std::size_t pageCount(const StepSession& s);
// The short title of a page, for the step list.
std::string pageTitle(const StepSession& s, std::size_t page);
StepPage makePage(const StepSession& s, std::size_t page, bool exact);
// The step a page shows (nullopt for the data page).
std::optional<std::size_t> stepOfPage(const StepSession& s, std::size_t page);

// Steps shown as rows of a table rather than as arrays: sweeps, power
// iterations, and above the detail limit the factorisation's summaries.
// The table of step i's part (right-hand side, pass) up to it, at most
// maxRows rows (the summaries: around it).
bool isTableStep(const StepSession& s, const RecordedStep& st);
bool samePart(const RecordedStep& a, const RecordedStep& b);
StepGrid partTable(const StepSession& s, std::size_t i, bool exact, std::size_t maxRows);

// The sentence a view of a run above the detail limit shows.
std::string summaryNotice();
// What the exact values are made of (source of the data, rationals or MPFR).
std::vector<std::string> exactSourceLines(const StepSession& s);

// Number texts: a real as the facts give it (7 significant digits, NaN and
// infinities spelled out), short for a cell (5), and an exact value short
// ("1/3", "≈1.414213562") or in full.
std::string factNumber(double v);
std::string cellNumber(double v);
std::string exactShort(const ExactNumber& v);
// "-2.1e-08 (0.4 ulp)": the relative difference, with the difference in
// units in the last place when it is under a thousand.
std::string differenceText(double approx, const ExactNumber& exact, bool single);

}  // namespace parvela
