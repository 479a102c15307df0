// The analysis of a run in words and tables, the same for the window's
// "Analiza" tab and for the batch front end's --analysis, --scan-omega and
// --sweep-n: each piece is a table with a title, a header, rows of cells
// and sentences after it. The window writes the symbols as Greek letters,
// the batch as plain words.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/experiment_over_n.h"
#include "analysis/omega_scan.h"

namespace parvela {

struct TextTable {
  std::string title;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> notes;
};

// How the symbols are written.
struct Symbols {
  const char* kappa;
  const char* rho;
  const char* omega;
  const char* eta;
  const char* infinity;  // the norm's index
  const char* times;
};
inline constexpr Symbols kPlainSymbols{"kappa", "rho", "omega", "eta", "inf", "*"};
inline constexpr Symbols kGreekSymbols{"\u03ba", "\u03c1", "\u03c9", "\u03b7", "\u221e", "\u00b7"};

std::vector<TextTable> describeErrors(const ErrorAnatomy& e, bool inverse, const Symbols& sym);
std::vector<TextTable> describeConvergence(const ConvergenceDiagnosis& d, const Symbols& sym);
std::vector<TextTable> describeCondition(const ConditionCheck& c, const Symbols& sym);
// Every piece of a run's analysis, in the order above.
std::vector<TextTable> describeAnalysis(const RunAnalysis& a, bool inverse, const Symbols& sym);
std::vector<TextTable> describeOmegaScan(const OmegaScan& scan, const Symbols& sym);
std::vector<TextTable> describeExperiment(const Experiment& e, const Symbols& sym);

// The tables as text: an empty line and " * title" before each, the cells
// right-aligned in columns, the notes one per line.
std::string plainText(const std::vector<TextTable>& tables);

// What the batch front end prints after a run, from the state the run
// started from: the analysis, the omega scan and the experiment asked for.
struct AnalysisRequest {
  bool analysis = false;
  bool scanOmega = false;
  std::int32_t sweepN = 0;  // the experiment's limit; 0: none
  bool any() const { return analysis || scanOmega || sweepN > 0; }
};
std::string analysisForBatch(const ProblemState& start, const AnalysisRequest& request);

// The data of the plots as CSV: omega, rho and, on the omegas that were
// run, the sweeps and the verdict; n and the errors (or the condition
// numbers) of the experiment.
void writeOmegaCsv(std::ostream& out, const OmegaScan& scan);
void writeExperimentCsv(std::ostream& out, const Experiment& e);

// 2.900E+07; "-" for NaN.
std::string sci(double v);
// A fixed number of decimals; "-" for NaN.
std::string fixed(double v, int decimals);
// "verdict" text of an iterative run, for tables.
std::string verdictText(Verdict v);

}  // namespace parvela
