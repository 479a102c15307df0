// A run on a private state with its steps kept: the state ends as the run
// leaves it, the report text is handed back.
#pragma once

#include <string>

#include "analysis/step_record.h"
#include "run/dispatcher.h"

namespace parvela::testing {

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
