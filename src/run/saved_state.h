// Long work that may be stopped: what a run or a read can change is saved
// before it starts and put back when it is stopped, so a stopped run leaves
// the program exactly as it was; and how the last piece of work ended.
#pragma once

#include <cstdint>

#include "core/problem_state.h"
#include "io/data_file.h"

namespace parvela {

// Everything a run touches: the problem record (data, choices, flags,
// parameters) and the data file's record of the last read.
struct ProblemSnapshot {
  ProblemState state;
  DataFile file;
};

ProblemSnapshot takeProblemSnapshot();
// The same into an existing snapshot, reusing its arrays' storage (a run
// that saves the state every time then pays no fresh allocation).
void takeProblemSnapshot(ProblemSnapshot& into);
// Puts everything back as it was when the snapshot was taken (the arrays
// are moved out of the snapshot).
void restoreProblemSnapshot(ProblemSnapshot&& snapshot);

// A digest of the same things (64-bit FNV-1a over every field, the arrays
// bit for bit): equal digests mean the program would write the same report.
std::uint64_t problemDigest();

// How the last run ("REZOLVA !") or read ("Citeste") ended.
enum class WorkOutcome {
  Completed,  // the work was done (a run: its report was written)
  Refused,    // a run that did not start or wrote nothing (the message says why); a read that failed
  Cancelled,  // stopped by the user: a run leaves everything as before, a read leaves nothing read
};

WorkOutcome lastWorkOutcome();
void setLastWorkOutcome(WorkOutcome outcome);

}  // namespace parvela
