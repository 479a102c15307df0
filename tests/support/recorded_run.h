// A run on a private state with its steps kept: the state ends as the run
// leaves it, the report text is handed back.
#pragma once

#include <string>

#include "analysis/step_record.h"
#include "run/dispatcher.h"

namespace parvela::testing {

// A problem as after start-up and a read of order n with nb right-hand
// sides (the arrays are the caller's to fill).
inline ProblemState readState(std::int32_t n, std::int32_t nb) {
  ProblemState s;
  {
    ProblemScope scope(s);
    INITIALIZEDATA();
  }
  s.n = n;
  s.nb = nb;
  s.readForSystem = true;
  s.dataRead = true;
  return s;
}

inline StepRun recordedRun(ProblemState& state, std::string* report = nullptr) {
  StepRecorder recorder;
  recorder.begin(state);
  RunResult result;
  {
    StepScope scope(&recorder);
    result = runOnPrivateState(state, report);
  }
  return recorder.finish(result);
}

}  // namespace parvela::testing
