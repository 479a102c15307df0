// The steps of runs written out: JSON Lines (one object per step, for
// scripts), LaTeX (a bmatrix per step and the operations in words, for
// homework) and plain text. The window's export button and the batch
// front end's --steps and --steps-latex write through these.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/exact_input.h"
#include "analysis/step_record.h"
#include "ui/core/step_pages.h"

namespace parvela {

// One JSON object per step of the run, each on its own line.
void writeStepsJson(std::ostream& out, const StepSession& s);
// A LaTeX document (preamble, the runs, end) and plain text; with `exact`
// the exact values beside.
void writeLatexBegin(std::ostream& out);
void writeStepsLatex(std::ostream& out, const StepSession& s, bool exact);
void writeLatexEnd(std::ostream& out);
void writeStepsText(std::ostream& out, const StepSession& s, bool exact);

// A number as the JSON Lines write it: 9 significant digits for a
// single-precision value, 17 for a double one (each reads back to the same
// bits); "NaN", "Infinity", "-Infinity" as strings.
std::string jsonNumber(double v);

// The steps of every run of the batch front end, gathered and written at
// the end into the files named by --steps and --steps-latex.
class BatchSteps {
 public:
  std::optional<std::string> jsonPath;
  std::optional<std::string> latexPath;

  bool enabled() const { return jsonPath || latexPath; }
  // After a successful read: what the runs that follow start from.
  void afterRead(const ProblemState& state);
  // Around one press of "REZOLVA !".
  void beforeRun(const ProblemState& state);
  StepListener* listener() { return enabled() ? &recorder_ : nullptr; }
  void afterRun(const RunResult& result, const std::string& file, std::int32_t run);
  // Writes the files (all or nothing each); false with a message.
  bool write(std::string& error) const;

 private:
  ReadSnapshot read_;
  StepRecorder recorder_;
  std::string json_;
  std::string latex_;
};

}  // namespace parvela
