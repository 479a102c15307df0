// What the Eps, Nlim and Omega boxes held for an iterative run, in words:
// a box that stops the run (empty, zero, not a number of its kind) and a
// box whose text was read differently from how it looks ("1,5" is read as
// 1: the comma ends the value). The reading itself stays as it is.
#pragma once

#include <string>
#include <vector>

#include "core/problem_state.h"

namespace parvela {

struct ParameterNotes {
  std::vector<std::string> problems;  // why the run cannot start, one box a line
  std::vector<std::string> warnings;  // read, but not as written
};

// The notes for the boxes the chosen method reads (none for a direct
// method or the condition number).
ParameterNotes describeParameters(const ProblemState& s);

}  // namespace parvela
