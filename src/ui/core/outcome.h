// The outcome of one press of "REZOLVA !" as the window shows it: the lines
// the run wrote to standard output, or why it did not run, and the verdict
// of every right-hand side of an iterative method.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvela {

enum class Verdict { Tolerance, Limit, Divergence, Stationary };

struct RhsVerdict {
  Verdict verdict = Verdict::Limit;
  std::optional<std::int32_t> sweeps;  // " Numar iteratii: k" (tolerance only)
};

// The iterative drivers write one verdict per right-hand side, in order.
std::vector<RhsVerdict> verdictsFromOutput(std::string_view standardOutput);
// Short Romanian name of a verdict, for legends and files.
std::string_view verdictName(Verdict v);

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

// `reportWritten`: the run placed its report in the file.
Outcome makeOutcome(std::string_view standardOutput, const std::vector<BoxMessage>& boxes,
                    bool reportWritten, bool cancelled);

// The non-empty lines of a text ('\n' or "\r\n" line ends).
std::vector<std::string> nonEmptyLines(std::string_view text);

}  // namespace parvela
