// The outcome of one press of "REZOLVA !" as the window shows it: the lines
// the run wrote to standard output, or why it did not run. What the run did
// comes from its result, never from its text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/run_result.h"

namespace parvela {

struct BoxMessage {
  std::string text;
  std::string caption;
};

struct Outcome {
  enum class Kind {
    Done,       // the report was written, nothing failed
    Breakdown,  // the report was written and records a numerical failure
    Refused,    // nothing was written: a message box said why
    Cancelled,  // stopped by the user: nothing was written
  };
  Kind kind = Kind::Done;
  // Standard output, line by line, empty lines left out; for a refused run
  // the lines of the message.
  std::vector<std::string> lines;
  std::string summary;  // one line for the status area
};

// The outcome of `run`, with the standard output it printed and the message
// boxes it showed.
Outcome makeOutcome(const RunResult& run, std::string_view standardOutput,
                    const std::vector<BoxMessage>& boxes);

// The non-empty lines of a text ('\n' or "\r\n" line ends).
std::vector<std::string> nonEmptyLines(std::string_view text);

}  // namespace parvela
