// "REZOLVA !": one run of the chosen problem and method.
#pragma once

#include <optional>
#include <string>

#include "core/problem_state.h"
#include "core/run_result.h"

namespace parvela {

class Dialog;

// Converts the iteration parameters typed in the window (Gauss-Seidel and
// SOR only). Returns false when a text does not read as a number of its
// kind; its value is then taken as zero.
bool READ_EPSNLIMOMEGA(Dialog* dialog, int controlId, int callbackKind);

// The run: parameter checks, report header, one driver, then the report
// is placed in the data file and the standard-output lines are sent out.
// What the run did, as values (also kept as lastRunResult()).
RunResult solveProblem(Dialog* dialog, int controlId = 0, int callbackKind = 0);
// The same as the window's callback.
void PARVELAAPPLY(Dialog* dialog, int controlId, int callbackKind);
// The result of the last press of "REZOLVA !" (a refusal before any).
const RunResult& lastRunResult();

// A copy of the state the last written run started from (the arrays before
// its driver changed them, the parameters as it converted them), or nothing
// when no run has been written or a later run has begun since. An analysis
// of the run starts from this, not from the arrays the run left.
std::optional<ProblemState> lastRunStartingState();

// A run of the chosen problem and method on `state` instead of the
// program's problem, on the calling thread: the parameters are converted,
// the header and the driver write into private units (handed over through
// `report` and `standardOutput` when given), and nothing is checked against
// or written into any file, nor shown to the user. The state ends as the
// driver leaves it, as after a run. The copy must come from the program's
// state (its name lists and choices); the caller owns any threads' use of
// it. Nothing else is shared, so runs on private states may go on while
// the window reads or runs on its own.
RunResult runOnPrivateState(ProblemState& state, std::string* report = nullptr,
                            std::string* standardOutput = nullptr);

}  // namespace parvela
